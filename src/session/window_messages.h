#pragma once
// The private window messages of program sessions and the event that carries them. Every
// message is a QEvent of type QEvent::User + its number, so logs show the same numbers on every
// platform; wParam and lParam keep their meaning per message (see the table below).
//
// Between a program thread and the GUI thread only these events pass (posted, never sent):
// the shell and the program's widgets post to the program thread, the program thread posts to
// its widgets and to the shell.

#include <QByteArray>
#include <QEvent>
#include <QString>
#include <cstdint>

namespace kovw::session {

// Numbers of the messages that programs and the shell exchange.
inline constexpr int WML_ENDE = 2025;  // to the shell: wParam programs left, lParam exit flags
inline constexpr int WML_TEXT_OUTPUT = 2026;  // to a program: text output commands (bytes)
inline constexpr int WML_SOCK_CLIENT = 2027;  // link notification (read 1, close 32)
inline constexpr int WML_WARNING = 2039;      // to the main window: resource text wParam
inline constexpr int WML_CHILD_PROGRAM =
    2040;                                  // wParam 1 child started / 0 ended, lParam its window
inline constexpr int WML_END_LOOP = 2044;  // ends the program's event loop
inline constexpr int WML_STOP = 2046;      // close the program without asking
inline constexpr int WML_SHOW_MESSAGE = 2049;  // show text (wParam) with caption (lParam) modal
inline constexpr int WML_RECONNECT = 2051;     // take over a new link: wParam pid, lParam socket

// Messages between a program thread and its own widgets (the window messages the windows of a
// program exchange with their procedures). Numbered above the shared ones.
inline constexpr int WML_CLOSE = 3001;         // to the program: the user closes its window
inline constexpr int WML_VIEW_CREATE = 3101;   // to the view: create main and content windows
inline constexpr int WML_VIEW_SHOW = 3102;     // to the view: place and show the windows
inline constexpr int WML_VIEW_TITLE = 3103;    // to the view: caption text
inline constexpr int WML_VIEW_CURSOR = 3104;   // to the view: cursor kind wParam
inline constexpr int WML_VIEW_DESTROY = 3105;  // to the view: destroy the windows (last event)
inline constexpr int WML_VIEW_CHILD = 3106;    // to the view: a child program holds it (wParam 1/0)
inline constexpr int WML_VIEW_HIDE = 3107;     // to the view: hide the main window
inline constexpr int WML_VIEW_MESSAGE = 3108;  // to the view: modeless message/splash window
inline constexpr int WML_VIEW_BEEP = 3109;     // to the view: the warning sound
inline constexpr int WML_VIEW_TEXT_SCREEN = 3111;  // to the view: a new text screen
inline constexpr int WML_VIEW_TEXT_ROWS = 3112;    // to the view: changed rows of the text screen
inline constexpr int WML_VIEW_MAP = 3110;          // to the view: operation wParam on window lParam
inline constexpr int WML_VIEW_FRAME = 3113;        // to the view: key bars, menu and status bar
inline constexpr int WML_VIEW_ITEM_STATE = 3114;   // to the view: item wParam shows state lParam
inline constexpr int WML_VIEW_CONTEXT_MENU = 3115;  // to the view: a context menu at the pointer
inline constexpr int WML_VIEW_STATUS = 3116;        // to the view: the status bar's text
inline constexpr int WML_KEY_PRESS = 3120;          // to the program: a key press (key_input.h)
inline constexpr int WML_MOUSE_CLICK = 3121;        // to the program: a click on a text screen cell
inline constexpr int WML_MOUSE_WHEEL = 3122;        // to the program: wParam wheel steps (+ away)
inline constexpr int WML_FRAME_ITEM = 3123;         // to the program: the user chose item wParam

// The name of a message number for log lines ("WML_STOP"), or "WM_USER+n" for others.
const char* wml_name(int number);

inline QEvent::Type wml_event_type(int number) {
  return static_cast<QEvent::Type>(QEvent::User + number);
}
inline int wml_number(const QEvent* event) {
  return static_cast<int>(event->type()) - QEvent::User;
}

// One posted window message.
class WmlEvent : public QEvent {
 public:
  WmlEvent(int number, std::int64_t wparam = 0, std::int64_t lparam = 0)
      : QEvent(wml_event_type(number)), wparam(wparam), lparam(lparam) {}
  int number() const { return wml_number(this); }

  std::int64_t wparam;
  std::int64_t lparam;
  QString text;  // texts the message carries (caption, message text, title)
  QString caption;
  QByteArray bytes;  // byte blocks the message carries (text output commands)
};

// WML_RECONNECT owns the offered socket until the receiving session adopts it: an event that is
// never delivered or refused closes the socket, so an offered link can never leak.
class ReconnectEvent : public WmlEvent {
 public:
  ReconnectEvent(int host_pid, int socket) : WmlEvent(WML_RECONNECT, host_pid, socket) {}
  ~ReconnectEvent() override;
  int host_pid() const { return static_cast<int>(wparam); }
  // Hands the socket over; afterwards the event closes nothing.
  int take_socket();
};

}  // namespace kovw::session
