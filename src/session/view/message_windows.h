#pragma once
// The two windows a program shows messages in without waiting for the user: the modeless
// message window (opened, given new text and closed by the program as its work goes on) and
// the splash window. Both live on the GUI thread with the program's view, which hands them the
// to_view::MessageWindow messages of its program thread.

#include <QPointer>
#include <QWidget>

#include "session/window_messages.h"

class QLabel;

namespace kovw::session {

class MessageWindows {
 public:
  MessageWindows() = default;
  MessageWindows(const MessageWindows&) = delete;
  MessageWindows& operator=(const MessageWindows&) = delete;
  ~MessageWindows();

  // Applies one to_view::MessageWindow; `owner` is the program's main window (may be null).
  void handle(const to_view::MessageWindow& message, QWidget* owner);
  void close_all();

  QWidget* message_window() const { return message_; }
  QWidget* splash_window() const { return splash_; }

 private:
  void open_message(const to_view::MessageWindow& message, QWidget* owner);
  void open_splash(const to_view::MessageWindow& message, QWidget* owner);

  QPointer<QWidget> message_;
  QPointer<QLabel> message_text_;
  QPointer<QWidget> splash_;
};

}  // namespace kovw::session
