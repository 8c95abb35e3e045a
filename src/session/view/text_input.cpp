#include "session/view/text_input.h"

#include <QApplication>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "session/program/key_input.h"
#include "session/view/text_screen_widget.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

constexpr int kWheelStep = 120;  // wheel units of one notch

struct KeyName {
  int qt_key;
  HostKey key;
};

constexpr KeyName kKeys[] = {
    {Qt::Key_Escape, HostKey::Escape}, {Qt::Key_Backspace, HostKey::Backspace},
    {Qt::Key_Tab, HostKey::Tab},       {Qt::Key_Backtab, HostKey::Tab},   // Shift+Tab
    {Qt::Key_Return, HostKey::Return}, {Qt::Key_Enter, HostKey::Return},  // keypad
    {Qt::Key_PageUp, HostKey::PageUp}, {Qt::Key_PageDown, HostKey::PageDown},
    {Qt::Key_End, HostKey::End},       {Qt::Key_Select, HostKey::Select},
    {Qt::Key_Home, HostKey::Home},     {Qt::Key_Left, HostKey::Left},
    {Qt::Key_Up, HostKey::Up},         {Qt::Key_Right, HostKey::Right},
    {Qt::Key_Down, HostKey::Down},     {Qt::Key_Insert, HostKey::Insert},
    {Qt::Key_Delete, HostKey::Delete}, {Qt::Key_Print, HostKey::PrintScreen},
    {Qt::Key_Help, HostKey::Help},     {Qt::Key_Execute, HostKey::Execute},
    {Qt::Key_Pause, HostKey::Pause},
};

#if !defined(Q_OS_WIN)
struct NativeKeyName {
  quint32 keysym;
  HostKey key;
};

// X key symbols of the keys the layouts name.
constexpr NativeKeyName kNativeKeys[] = {
    {0xFF60, HostKey::Select},      {0xFF62, HostKey::Execute}, {0xFF6A, HostKey::Help},
    {0xFF61, HostKey::PrintScreen}, {0xFF13, HostKey::Pause},   {0xFF63, HostKey::Insert},
};
#endif

// The button code part of the buttons held at a press: 1 left, 2 middle (or left and right
// together), 3 right; 0 for other buttons.
int button_code(Qt::MouseButton button, Qt::MouseButtons held) {
  if ((held & Qt::LeftButton) && (held & Qt::RightButton)) return 2;
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::MiddleButton:
      return 2;
    case Qt::RightButton:
      return 3;
    default:
      return 0;
  }
}

}  // namespace

HostKey host_key_of(int qt_key, quint32 native_key) {
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F20) return function_key(qt_key - Qt::Key_F1 + 1);
  for (const KeyName& name : kKeys)
    if (name.qt_key == qt_key) return name.key;
#if defined(Q_OS_WIN)
  // The OEM keys have no toolkit name; the platform's virtual key names them.
  switch (native_key) {
    case 0xE3:
      return HostKey::OemE3;
    case 0xE8:
      return HostKey::OemE8;
    case 0xE5:
      return HostKey::OemE5;
    default:
      break;
  }
#else
  // Under X11 the toolkit reports some keys of terminal keyboards with key code 0; their
  // native key symbol still names them.
  for (const NativeKeyName& name : kNativeKeys)
    if (name.keysym == native_key) return name.key;
#endif
  return HostKey::None;
}

QKeySequence key_sequence_of(KeyChord chord) {
  int qt_key = 0;
  if (chord.key >= HostKey::F1 && chord.key <= HostKey::F20)
    qt_key = Qt::Key_F1 + static_cast<int>(chord.key) - static_cast<int>(HostKey::F1);
  for (const KeyName& name : kKeys)
    if (qt_key == 0 && name.key == chord.key) qt_key = name.qt_key;
  if (qt_key == 0) return {};
  const Qt::KeyboardModifiers modifiers =
      ((chord.modifiers & kModShift) ? Qt::ShiftModifier : Qt::NoModifier) |
      ((chord.modifiers & kModCtrl) ? Qt::ControlModifier : Qt::NoModifier) |
      ((chord.modifiers & kModAlt) ? Qt::AltModifier : Qt::NoModifier);
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(qt_key)));
}

int modifier_bits(Qt::KeyboardModifiers modifiers) {
  return ((modifiers & Qt::ShiftModifier) ? kModShift : 0) |
         ((modifiers & Qt::ControlModifier) ? kModCtrl : 0) |
         ((modifiers & Qt::AltModifier) ? kModAlt : 0);
}

TextInput::TextInput(ChannelPtr to_program, QWidget* content)
    : QObject(content), to_program_(std::move(to_program)), content_(content) {
  // The content window takes the keys (also when the text screen in it is clicked).
  content->setFocusPolicy(Qt::StrongFocus);
  content->installEventFilter(this);
}

void TextInput::watch(TextScreenWidget* screen) {
  screen->installEventFilter(this);
  pressed_code_ = 0;
}

bool TextInput::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_) {
    if (event->type() == QEvent::KeyPress) return key_press(static_cast<const QKeyEvent&>(*event));
    return false;
  }
  auto* screen = dynamic_cast<TextScreenWidget*>(watched);
  if (screen == nullptr) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      mouse_press(static_cast<const QMouseEvent&>(*event), false);
      return true;
    case QEvent::MouseButtonDblClick:
      mouse_press(static_cast<const QMouseEvent&>(*event), true);
      return true;
    case QEvent::MouseButtonRelease:
      mouse_release(*screen, static_cast<const QMouseEvent&>(*event));
      return true;
    case QEvent::Wheel: {
      // With a vertical scroll bar the wheel scrolls the screen; otherwise its notches are keys
      // for the host.
      auto* area = screen->parentWidget() != nullptr
                       ? qobject_cast<QAbstractScrollArea*>(screen->parentWidget()->parentWidget())
                       : nullptr;
      if (area != nullptr && area->verticalScrollBar()->isVisible()) {
        QCoreApplication::sendEvent(area->verticalScrollBar(), event);
        return true;
      }
      wheel(static_cast<const QWheelEvent&>(*event));
      return true;
    }
    default:
      return false;
  }
}

bool TextInput::key_press(const QKeyEvent& event) {
  if (event.key() == Qt::Key_Tab && event.modifiers() == Qt::ControlModifier) {
    if (!to_key_bar_ || !to_key_bar_()) QApplication::beep();
    return true;
  }
  const HostKey key = host_key_of(event.key(), event.nativeVirtualKey());
  const int modifiers = modifier_bits(event.modifiers());
  QString text = event.text();
  // Ctrl with a letter types its control character, whatever text the platform reports.
  if ((modifiers & (kModCtrl | kModAlt)) == kModCtrl && event.key() >= Qt::Key_A &&
      event.key() <= Qt::Key_Z)
    text = QString(QChar(event.key() - Qt::Key_A + 1));
  if (key != HostKey::None || !text.isEmpty())
    post_to_program(*to_program_,
                    to_program::KeyPress{key, modifiers, std::max(event.count(), 1), text});
  return true;  // Tab and the other keys stay with the program, not with focus handling
}

void TextInput::mouse_press(const QMouseEvent& event, bool double_click) {
  const int code = button_code(event.button(), event.buttons());
  if (code == 0) return;
  pressed_code_ = code + 20 * modifier_bits(event.modifiers());
  double_click_ = double_click;
  content_->setFocus(Qt::MouseFocusReason);
}

void TextInput::mouse_release(TextScreenWidget& screen, const QMouseEvent& event) {
  if (pressed_code_ == 0) return;
  const int code = pressed_code_ + (double_click_ ? 10 : 0);
  pressed_code_ = 0;
  const QPointF at = event.position();
  const int column = std::max(0, static_cast<int>(at.x()) / std::max(screen.cell_width(), 1));
  const int row = std::max(0, static_cast<int>(at.y()) / std::max(screen.cell_height(), 1));
  post_to_program(*to_program_, to_program::MouseClick{code, column, row});
}

void TextInput::wheel(const QWheelEvent& event) {
  wheel_units_ += event.angleDelta().y();
  const int steps = wheel_units_ / kWheelStep;
  if (steps == 0) return;
  wheel_units_ -= steps * kWheelStep;
  post_to_program(*to_program_, to_program::MouseWheel{steps});
}

}  // namespace kovw::session
