#include "dialogs/view/field_keyboard.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

namespace kovw::dialogs {

namespace {

FieldKeyboardHook& hook() {
  static FieldKeyboardHook installed;
  return installed;
}

// Reports the focus of one field; a field that goes away while focused reports the loss.
class FieldFocusWatch : public QObject {
 public:
  FieldFocusWatch(QWidget* field, bool numeric) : QObject(field), field_(field), numeric_(numeric) {
    field->installEventFilter(this);
    if (field->hasFocus()) report(true);
  }
  ~FieldFocusWatch() override {
    if (focused_) report(false);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == field_) {
      if (event->type() == QEvent::FocusIn && !focused_) report(true);
      if (event->type() == QEvent::FocusOut && focused_) report(false);
    }
    return false;
  }

 private:
  void report(bool focused) {
    focused_ = focused;
    if (hook()) hook()(field_, numeric_, focused);
  }

  QWidget* field_;
  bool numeric_;
  bool focused_ = false;
};

}  // namespace

void set_field_keyboard_hook(FieldKeyboardHook installed) {
  hook() = std::move(installed);
}

void watch_field_for_keyboard(QWidget* field, bool numeric) {
  if (field != nullptr) new FieldFocusWatch(field, numeric);
}

}  // namespace kovw::dialogs
