#pragma once
// The program's windows on the GUI thread: the main (frame) window and the content window
// inside it. A ProgramView is created for every program thread; it makes its widgets when the
// program asks for them (KINIT) and obeys the WML_VIEW_* events its program thread posts. User
// actions go the other way, as events posted to the program thread (a close request becomes
// WML_CLOSE); the view never waits for its program.
//
// Window handles are numbers the program thread assigns (new_window_handle) and reports to the
// host; the view registers its widgets under them, so a child program can find the window of
// its parent program.

#include <QEvent>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <cstdint>

#include "session/event_channel.h"
#include "session/program/text_screen_update.h"
#include "session/view/frame_widgets.h"
#include "session/view/message_windows.h"
#include "session/view/text_input.h"
#include "session/view/text_screen_widget.h"
#include "session/window_messages.h"

namespace kovw::session {

// A process-wide unique window handle (never 0).
std::int64_t new_window_handle();

// WML_VIEW_CREATE: create the main and content windows with these handles, the caption, and
// the parent program's window when one holds this program (0 none).
class ViewCreateEvent : public WmlEvent {
 public:
  ViewCreateEvent(std::int64_t main_handle, std::int64_t content_handle, std::int64_t parent)
      : WmlEvent(WML_VIEW_CREATE, main_handle, content_handle), parent_handle(parent) {}
  std::int64_t parent_handle;
};

// WML_VIEW_SHOW: place the main window at (x, y) with a content area of width x height (a
// size of 0 keeps the current one) and the caption in `text`, then show and raise it.
class ViewShowEvent : public WmlEvent {
 public:
  ViewShowEvent(int x, int y, int width, int height)
      : WmlEvent(WML_VIEW_SHOW), x(x), y(y), width(width), height(height) {}
  int x, y, width, height;
  bool first_show = false;  // the windows are shown for the first time: a new main window
  bool cascade = false;     // a new main window takes the next cascade position
};

// The program's drawing area. It takes local files dropped on it and keeps their names until
// the host asks for them (KGETCLIP).
class ContentWindow : public QWidget {
 public:
  explicit ContentWindow(QWidget* parent);
  // The names of the files dropped since the last call, oldest first; forgets them.
  QStringList take_dropped_files();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QStringList dropped_files_;
};

class MainWindow : public QWidget {
 public:
  MainWindow(ChannelPtr to_program, QWidget* parent);
  ContentWindow* content() const { return content_; }
  FrameWidgets* frame() const { return frame_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  ChannelPtr to_program_;
  ContentWindow* content_;
  FrameWidgets* frame_;
};

class ProgramView : public QObject {
 public:
  // `to_program` reaches the program thread; the view binds `to_view` to itself.
  ProgramView(ChannelPtr to_program, ChannelPtr to_view);
  ~ProgramView() override;

  MainWindow* main_window() const { return main_; }
  const MessageWindows& message_windows() const { return messages_; }

  // Views alive in the process (GUI thread only): a leak shows here.
  static int live_count();
  // The widget registered under `handle` (GUI thread only), or null.
  static QWidget* widget_for(std::int64_t handle);

 protected:
  void customEvent(QEvent* event) override;

 private:
  void create_windows(const ViewCreateEvent& event);
  void show_windows(const ViewShowEvent& event);
  // Sizes the main window so that the content window gets `content` inside the frame's bars.
  void fit_main_window(QSize content);
  void set_text_screen(const TextScreenCreateEvent& event);
  void apply_text_rows(const TextScreenRowsEvent& event);
  void destroy_windows();

  ChannelPtr to_program_;
  ChannelPtr to_view_;
  QPointer<MainWindow> main_;
  QPointer<TextScreenWidget> text_;  // in the content window while the screen is a text screen
  QPointer<TextInput> input_;        // the user's keys and clicks, to the program
  std::int64_t main_handle_ = 0;
  std::int64_t content_handle_ = 0;
  MessageWindows messages_;
};

}  // namespace kovw::session
