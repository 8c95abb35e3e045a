#pragma once
// The input field over a text screen's cells: it draws what the program thread's field editor
// shows (text, cursor, colours, font A or B) exactly over the field's cells, scrolled so that
// the cursor stays in sight. Keys and clicks do not stop here: they reach the program through
// the content window and the text screen, as all keys do, so none is lost or reordered.

#include <QWidget>

#include "session/window_messages.h"

namespace kovw::session {

class TextScreenWidget;

class InputFieldWidget : public QWidget {
  // findChild<InputFieldWidget*> finds this class, not any widget
  Q_OBJECT

 public:
  explicit InputFieldWidget(TextScreenWidget* screen);

  void apply(const to_view::InputField& field);
  const to_view::InputField& field() const { return field_; }
  // The first character shown (the field scrolls when it is wider than its cells).
  int first_shown() const { return first_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TextScreenWidget* screen_;
  to_view::InputField field_;
  int first_ = 0;
};

}  // namespace kovw::session
