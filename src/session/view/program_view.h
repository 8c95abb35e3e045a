#pragma once
// The program's windows on the GUI thread: the main (frame) window and the content window
// inside it. A ProgramView is created for every program thread; it makes its widgets when the
// program asks for them (KINIT) and obeys the ViewMessages its program thread posts. User
// actions go the other way, as ProgramMessages posted to the program thread (a close request
// becomes to_program::Close, dropped files to_program::FilesDropped); the view never waits for
// its program.
//
// Window handles are numbers the program thread assigns (new_window_handle) and reports to the
// host; the view registers its widgets under them (window_registry.h), so a child program can
// find the window of its parent program.

#include <QEvent>
#include <QPointer>
#include <QScrollArea>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <map>

#include "dialogs/view/host_dialog_window.h"
#include "session/event_channel.h"
#include "session/view/edit_area_widget.h"
#include "session/view/frame_widgets.h"
#include "session/view/input_field_widget.h"
#include "session/view/message_windows.h"
#include "session/view/text_input.h"
#include "session/view/text_screen_widget.h"
#include "session/window_messages.h"

namespace kovw::dialogs {
class IconViewWidget;
}  // namespace kovw::dialogs

namespace kovw::graphics {
class GraphicsSubWindow;
class GraphicsWindowWidget;
}  // namespace kovw::graphics

namespace kovw::session {

// The program's drawing area. It takes local files dropped on it and hands their names to the
// program, which keeps them until the host asks for them (KGETCLIP).
class ContentWindow : public QWidget {
 public:
  ContentWindow(ChannelPtr to_program, QWidget* parent);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  ChannelPtr to_program_;
};

class MainWindow : public QWidget {
 public:
  MainWindow(ChannelPtr to_program, QWidget* parent);
  ContentWindow* content() const { return content_; }
  FrameWidgets* frame() const { return frame_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Over the frame (not the content window, whose clicks go to the host): the hardcopy entry.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Tells the program where the window stands now, once per turn of the event loop however
  // many moves and size changes came (a drag sends many).
  void report_geometry_soon();
  void report_geometry();

  ChannelPtr to_program_;
  ContentWindow* content_;
  FrameWidgets* frame_;
  bool report_pending_ = false;
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

 protected:
  void customEvent(QEvent* event) override;

 private:
  // One handler for each message to the view.
  void apply(const to_view::CreateWindows& message);
  void apply(const to_view::ShowWindows& message);
  void apply(const to_view::HideWindows& message);
  void apply(const to_view::Title& message);
  void apply(const to_view::Cursor& message);
  void apply(const to_view::InputEnabled& message);
  void apply(const to_view::Background& message);
  void apply(const to_view::ChildHolds& message);
  void apply(const to_view::Warning& message);
  void apply(const to_view::MessageWindow& message);
  void apply(const to_view::Beep& message);
  void apply(const to_view::TextScreen& message);
  void apply(const to_view::TextRows& message);
  void apply(const to_view::MapWindow& message);
  void apply(const to_view::Frame& message);
  void apply(const to_view::ItemState& message);
  void apply(const to_view::ItemText& message);
  void apply(const to_view::FrameIcons& message);
  void apply(const to_view::ToolCaption& message);
  void apply(const to_view::ContextMenu& message);
  void apply(const to_view::StatusText& message);
  void apply(const to_view::Clipboard& message);
  void apply(const to_view::InputField& message);
  void apply(const to_view::EditArea& message);
  void apply(const to_view::HostDialog& message);
  void apply(const to_view::GraphicsWindow& message);
  void apply(const to_view::Destroy& message);
  void apply(const to_view::Hardcopy& message);
  void apply(const to_view::IconView& message);  // program_view_icons.cpp
  void apply(const to_view::ListDialog& message);
  // The docked button bar form: the main window at the desktop's edge, as high as the desktop.
  void dock_icon_bar();

  // Sizes the main window so that the content window gets `content` inside the frame's bars.
  void fit_main_window(QSize content);
  // The content size a text screen asks for: its view, and room for its scroll bars.
  QSize text_content_size() const;
  // Scrolls the text screen so that the cell of the caret is shown.
  void keep_caret_in_sight();
  void destroy_windows();

  ChannelPtr to_program_;
  ChannelPtr to_view_;
  QPointer<MainWindow> main_;
  QPointer<TextScreenWidget> text_;    // in the content window while the screen is a text screen
  QPointer<QScrollArea> text_scroll_;  // around the text screen, in the content window
  QPointer<TextInput> input_;          // the user's keys and clicks, to the program
  QPointer<InputFieldWidget> field_;   // the input field over the text screen's cells
  QPointer<EditAreaWidget> edit_;      // the host's edit area over the cells, while it is open
  QPointer<dialogs::HostDialogWindow> dialog_;
  QPointer<graphics::GraphicsWindowWidget> graphics_;  // the graphics window, while defined
  QPointer<QScrollArea> graphics_scroll_;
  std::map<std::int32_t, QPointer<graphics::GraphicsSubWindow>>
      graphics_subs_;                        // the host dialog shown over the window
  QPointer<dialogs::IconViewWidget> icons_;  // the icon view of screen mode 4
  to_view::Background look_;                 // the program's look, for views made later
  bool icon_bar_docked_ = false;
  bool icon_bar_left_ = false;
  bool icon_bar_slid_ = false;  // slid out of the desktop but for a strip
  std::int64_t main_handle_ = 0;
  std::int64_t content_handle_ = 0;
  MessageWindows messages_;
};

}  // namespace kovw::session
