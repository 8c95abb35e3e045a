#include "session/view/onscreen_keyboard.h"

#include "dialogs/view/field_keyboard.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>

#include "foundation/message_table.h"
#include "session/program/key_translation.h"

namespace kovw::session {

namespace {

constexpr QSize kFullSize(825, 224);
constexpr QSize kNumericSize(700, 224);

bool is_modifier(int qt_key) {
  return qt_key == Qt::Key_Shift || qt_key == Qt::Key_Control || qt_key == Qt::Key_Alt ||
         qt_key == Qt::Key_AltGr || qt_key == Qt::Key_CapsLock;
}

bool is_function_key(int qt_key) {
  return qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F35;
}

// Keys below 0x01000000 type characters; of the named keys only the space bar does.
QString typed_text(const KeyCap& cap, const QString& label, bool ctrl) {
  if (ctrl) return {};
  if (cap.qt_key == Qt::Key_Space) return QStringLiteral(" ");
  if (cap.qt_key >= 0x01000000) return {};
  return label;
}

}  // namespace

OnScreenKeyboard::OnScreenKeyboard(std::span<const KeyCap> caps, int units, int layout,
                                   QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      units_(units > 0 ? units : 1),
      layout_(layout) {
  setWindowTitle(QString::fromUtf8(foundation::message_text(40442)));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  int row = 0;
  int unit = 0;
  for (const KeyCap& cap : caps) {
    if (cap.qt_key == 0) {
      if (cap.units == 0) {
        ++row;
        unit = 0;
      } else {
        unit += cap.units;
      }
      continue;
    }
    auto* button = new QPushButton(this);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCheckable(is_modifier(cap.qt_key));
    keys_.push_back({&cap, button, row, unit});
    unit += cap.units;
  }
  for (const Key& key : keys_)
    connect(key.button, &QPushButton::clicked, this, [this, &key] { press(key); });
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { focus_changed(now); });
  focus_changed(QApplication::focusWidget());
  relabel();
}

QPushButton* OnScreenKeyboard::button(int qt_key, bool keypad) const {
  for (const Key& key : keys_)
    if (key.cap->qt_key == qt_key && key.cap->keypad == keypad) return key.button;
  return nullptr;
}

void OnScreenKeyboard::focus_changed(QWidget* now) {
  // The keyboards never are the target: the widget that had the focus before stays it.
  if (now == nullptr || dynamic_cast<OnScreenKeyboard*>(now->window()) != nullptr) return;
  target_ = now;
}

bool OnScreenKeyboard::toggle(int qt_key) {
  if (!is_modifier(qt_key)) return false;
  if (qt_key == Qt::Key_Shift && caps_) {
    relabel();  // ignored while Caps Lock is on: the button keeps its state
    return true;
  }
  bool* flags[] = {&shift_, &ctrl_, &alt_, &altgr_, &caps_};
  bool* mine = qt_key == Qt::Key_Shift     ? &shift_
               : qt_key == Qt::Key_Control ? &ctrl_
               : qt_key == Qt::Key_Alt     ? &alt_
               : qt_key == Qt::Key_AltGr   ? &altgr_
                                           : &caps_;
  const bool on = !*mine;
  for (bool* flag : flags) *flag = false;
  *mine = on;
  relabel();
  return true;
}

void OnScreenKeyboard::press(const Key& key) {
  if (toggle(key.cap->qt_key)) return;
  QWidget* target = target_;
  if (target != nullptr) {
    Qt::KeyboardModifiers modifiers;
    if (shift_ || caps_) modifiers |= Qt::ShiftModifier;
    if (ctrl_ || altgr_) modifiers |= Qt::ControlModifier;
    if (alt_ || altgr_) modifiers |= Qt::AltModifier;
    if (key.cap->keypad) modifiers |= Qt::KeypadModifier;
    const QString text = typed_text(*key.cap, label(*key.cap, column()), ctrl_);
    if (QWidget* window = target->window(); !window->isActiveWindow()) window->activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    QKeyEvent down(QEvent::KeyPress, key.cap->qt_key, modifiers, text);
    QCoreApplication::sendEvent(target, &down);
    // The target may be gone after its key (a field that closes its dialog).
    if (target_ == target) {
      QKeyEvent up(QEvent::KeyRelease, key.cap->qt_key, modifiers, text);
      QCoreApplication::sendEvent(target, &up);
    }
  }
  shift_ = ctrl_ = alt_ = altgr_ = false;
  relabel();
}

int OnScreenKeyboard::column() const {
  if (altgr_) return kColumnAltGr;
  if (ctrl_) return kColumnCtrl;
  if (shift_ || caps_) return kColumnShift;
  return kColumnPlain;
}

QString OnScreenKeyboard::label(const KeyCap& cap, int column) const {
  if (is_function_key(cap.qt_key)) {
    // The host function the key sends in this layout, by name.
    const int number = cap.qt_key - Qt::Key_F1 + 1;
    const int modifiers = column == kColumnShift ? kModShift : column == kColumnCtrl ? kModCtrl : 0;
    if (column != kColumnAltGr) {
      if (const auto n = layout_number(layout_, function_key(number), modifiers)) {
        if (const char* name = host_function_name(*n)) return QString::fromUtf8(name);
      }
    }
    return QStringLiteral("F%1").arg(number);
  }
  const char* text = cap.labels[static_cast<std::size_t>(column)];
  return text != nullptr ? QString::fromUtf8(text) : QString();
}

void OnScreenKeyboard::relabel() {
  const int shown = column();
  for (const Key& key : keys_) {
    const KeyCap& cap = *key.cap;
    // Named keys keep their caps; a column that types nothing shows the plain label greyed.
    QString text = label(cap, is_modifier(cap.qt_key) ? kColumnPlain : shown);
    const bool types = !text.isEmpty();
    if (!types) text = label(cap, kColumnPlain);
    text.replace(QStringLiteral("&"), QStringLiteral("&&"));
    key.button->setText(text);
    key.button->setEnabled(types || is_modifier(cap.qt_key));
  }
  const std::pair<int, bool> states[] = {{Qt::Key_Shift, shift_},
                                         {Qt::Key_Control, ctrl_},
                                         {Qt::Key_Alt, alt_},
                                         {Qt::Key_AltGr, altgr_},
                                         {Qt::Key_CapsLock, caps_}};
  for (const auto& [qt_key, on] : states)
    if (QPushButton* modifier = button(qt_key)) modifier->setChecked(on);
}

void OnScreenKeyboard::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place_buttons();
}

void OnScreenKeyboard::place_buttons() {
  // One unit is the width divided by the units across, one row the height by the rows.
  const double unit = static_cast<double>(width()) / units_;
  const double row = static_cast<double>(height()) / kKeyboardRows;
  for (const Key& key : keys_) {
    const int left = static_cast<int>(key.unit * unit);
    const int right = static_cast<int>((key.unit + key.cap->units) * unit);
    const int top = static_cast<int>(key.row * row);
    const int bottom = static_cast<int>((key.row + 1) * row);
    key.button->setGeometry(left, top, right - left, bottom - top);
  }
}

namespace {

// The keyboards the dialog fields show while they have the focus: a use count per keyboard,
// and whether the fields showed it (then they hide it again when the last one lets go).
struct FieldKeyboards {
  QPointer<OnScreenKeyboard> full, numeric;
  int full_users = 0, numeric_users = 0;
  bool full_shown_by_fields = false, numeric_shown_by_fields = false;

  void focus(bool numeric_field, bool focused) {
    const bool use_numeric = numeric_field && numeric;
    QPointer<OnScreenKeyboard>& keyboard = use_numeric ? numeric : full;
    int& users = use_numeric ? numeric_users : full_users;
    bool& shown_by_fields = use_numeric ? numeric_shown_by_fields : full_shown_by_fields;
    if (!keyboard) return;
    if (focused) {
      if (users++ == 0 && !keyboard->isVisible()) {
        keyboard->show();
        shown_by_fields = true;
      }
    } else if (users > 0 && --users == 0 && shown_by_fields) {
      keyboard->hide();
      shown_by_fields = false;
    }
  }
};

FieldKeyboards& field_keyboards() {
  static FieldKeyboards keyboards;
  return keyboards;
}

}  // namespace

void open_onscreen_keyboards(QWidget* owner, int setting, int layout) {
  if ((setting & 1) == 0) return;
  dialogs::set_field_keyboard_hook(
      [](QWidget*, bool numeric, bool focused) { field_keyboards().focus(numeric, focused); });
  auto* full = new OnScreenKeyboard(full_keyboard(), kFullKeyboardUnits, layout, owner);
  full->resize(kFullSize);
  const QRect area = QGuiApplication::primaryScreen() != nullptr
                         ? QGuiApplication::primaryScreen()->availableGeometry()
                         : QRect(0, 0, 1024, 768);
  full->move(area.left(), area.bottom() - kFullSize.height());
  full->show();
  field_keyboards() = FieldKeyboards{};
  field_keyboards().full = full;
  if ((setting & 2) == 0) return;
  auto* numeric = new OnScreenKeyboard(numeric_keyboard(), kNumericKeyboardUnits, layout, owner);
  numeric->resize(kNumericSize);
  numeric->move(area.left() + kFullSize.width(), area.bottom() - kNumericSize.height());
  numeric->show();
  field_keyboards().numeric = numeric;
}

}  // namespace kovw::session
