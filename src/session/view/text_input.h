#pragma once
// The user's input to a text screen, taken on the GUI thread: key presses in the content window
// and clicks and wheel turns on the text screen become events posted to the program thread
// (key_input.h), which turns them into key codes for the host. The view only reports what the
// user did; the key translation and the key buffer live with the program.

#include <QKeySequence>
#include <QObject>
#include <Qt>
#include <functional>

#include "session/event_channel.h"
#include "session/program/key_translation.h"

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace kovw::session {

class TextScreenWidget;

// The host key of a toolkit key (None for keys the layouts do not name). `native_key` is the
// platform's virtual key code (the key symbol under X11), which names the OEM keys where the
// platform has them and the keys the toolkit reports without a code.
HostKey host_key_of(int qt_key, quint32 native_key = 0);

// The toolkit's key sequence of a host key with modifier bits; an empty one for keys the
// toolkit has no name for (the OEM keys).
QKeySequence key_sequence_of(KeyChord chord);

// Modifier bits (kModShift, kModCtrl, kModAlt) of toolkit modifiers.
int modifier_bits(Qt::KeyboardModifiers modifiers);

// An event filter on the content window (key presses) and on its text screen (mouse). It is a
// child of the content window.
class TextInput : public QObject {
 public:
  TextInput(ChannelPtr to_program, QWidget* content);
  // Takes the clicks and wheel turns of `screen` (a new text screen in the content window).
  void watch(TextScreenWidget* screen);
  // Ctrl+Tab moves the focus into the key bar through `to_key_bar`, which says whether there
  // was a button to take it; without one the warning sound plays.
  void set_key_bar(std::function<bool()> to_key_bar) { to_key_bar_ = std::move(to_key_bar); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool key_press(const QKeyEvent& event);
  void mouse_press(const QMouseEvent& event, bool double_click);
  void mouse_release(TextScreenWidget& screen, const QMouseEvent& event);
  void wheel(const QWheelEvent& event);

  ChannelPtr to_program_;
  QWidget* content_;
  std::function<bool()> to_key_bar_;
  // The press whose release gives the click: its button code without the double-click part.
  int pressed_code_ = 0;
  bool double_click_ = false;
  int wheel_units_ = 0;  // turned and not yet reported (less than a step)
};

}  // namespace kovw::session
