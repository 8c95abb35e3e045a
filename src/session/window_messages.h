#pragma once
// The boundary between a program thread and the GUI thread: the only things that pass between
// them are the messages declared here, posted (never sent) through an EventChannel.
//
//   ViewMessage     program thread -> its ProgramView (windows, text screen, frame, clipboard)
//   ProgramMessage  the view, the shell and other programs -> a program thread (user actions,
//                   stop, reconnect, shell texts)
//   ProgramEndedEvent  a program thread -> the shell, when it ends
//
// Each set is closed: a std::variant whose alternatives carry exactly their data. Every
// alternative keeps its window message number (kNumber) so that logs name it the same way on
// every platform; the event's QEvent type is QEvent::User + that number.
//
// The program thread never touches a widget. It waits for the GUI thread (platform::gui_call)
// only where it needs an answer at once:
//   - a modal message box (platform/message_box.cpp, through foundation::show_message),
//   - the colour chooser (KGETCOL, program/colour_choice.cpp),
//   - the clipboard's text for KGETCLIP (program/clipboard_commands.cpp): the clipboard is
//     owned by the GUI thread and the host waits for its contents.

#include <QByteArray>
#include <QColor>
#include <QEvent>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "dialogs/host_dialog.h"
#include "graphics/field_look.h"
#include "session/event_channel.h"
#include "session/frame_messages.h"
#include "session/hardcopy_request.h"
#include "session/icon_view_messages.h"
#include "session/program/frame_description.h"
#include "session/program/key_translation.h"
#include "session/program/text_screen_update.h"

namespace kovw::session {

// Numbers of the messages that programs and the shell exchange.
inline constexpr int WML_ENDE = 2025;           // to the shell: a program ended
inline constexpr int WML_TEXT_OUTPUT = 2026;    // to a program: text output commands
inline constexpr int WML_SOCK_CLIENT = 2027;    // link notification (logged only)
inline constexpr int WML_WARNING = 2039;        // to the view: a warning text
inline constexpr int WML_CHILD_PROGRAM = 2040;  // to a program: a child program started/ended
inline constexpr int WML_END_LOOP = 2044;       // ends the program's event loop
inline constexpr int WML_STOP = 2046;           // close the program without asking
inline constexpr int WML_SHOW_MESSAGE = 2049;   // show a text with a caption, modal
inline constexpr int WML_RECONNECT = 2051;      // take over a new link

// Messages between a program thread and its own widgets (the window messages the windows of a
// program exchange with their procedures). Numbered above the shared ones.
inline constexpr int WML_CLOSE = 3001;              // to the program: the user closes its window
inline constexpr int WML_VIEW_CREATE = 3101;        // to the view: create main and content windows
inline constexpr int WML_VIEW_SHOW = 3102;          // to the view: place and show the windows
inline constexpr int WML_VIEW_TITLE = 3103;         // to the view: caption text
inline constexpr int WML_VIEW_CURSOR = 3104;        // to the view: cursor kind
inline constexpr int WML_VIEW_DESTROY = 3105;       // to the view: destroy the windows (last)
inline constexpr int WML_VIEW_CHILD = 3106;         // to the view: a child program holds it
inline constexpr int WML_VIEW_HIDE = 3107;          // to the view: hide the main window
inline constexpr int WML_VIEW_MESSAGE = 3108;       // to the view: modeless message/splash window
inline constexpr int WML_VIEW_BEEP = 3109;          // to the view: the warning sound
inline constexpr int WML_VIEW_MAP = 3110;           // to the view: an operation on a window
inline constexpr int WML_VIEW_TEXT_SCREEN = 3111;   // to the view: a new text screen
inline constexpr int WML_VIEW_TEXT_ROWS = 3112;     // to the view: changed rows of the text screen
inline constexpr int WML_VIEW_FRAME = 3113;         // to the view: key bars, menu and status bar
inline constexpr int WML_VIEW_ITEM_STATE = 3114;    // to the view: an item's state
inline constexpr int WML_VIEW_ITEM_TEXT = 3161;     // to the view: an item's label and help text
inline constexpr int WML_VIEW_CONTEXT_MENU = 3115;  // to the view: a context menu at the pointer
inline constexpr int WML_VIEW_STATUS = 3116;        // to the view: the status bar's text
inline constexpr int WML_VIEW_CLIPBOARD = 3117;     // to the view: the clipboard's new text
inline constexpr int WML_VIEW_INPUT = 3118;         // to the view: content and key bars usable
inline constexpr int WML_VIEW_BACKGROUND = 3119;    // to the view: the windows' background
inline constexpr int WML_VIEW_FIELD = 3191;         // to the view: the input field over the cells
inline constexpr int WML_VIEW_EDIT_AREA = 3192;     // to the view: a multi-line edit area
inline constexpr int WML_EDIT_LEFT = 3193;          // to the program: the edit area was left
inline constexpr int WML_VIEW_DIALOG = 3194;        // to the view: show, refill or close a dialog
inline constexpr int WML_DIALOG_ACTION = 3195;      // to the program: the user acted in a dialog
inline constexpr int WML_VIEW_GRAPHICS = 3196;      // to the view: a graphics window's picture
inline constexpr int WML_GRAPHICS_CLICK = 3197;     // to the program: a click in a graphics window
inline constexpr int WML_GRAPHICS_SCROLL = 3198;    // to the program: a graphics window scrolled
inline constexpr int WML_KEY_PRESS = 3120;          // to the program: a key press
inline constexpr int WML_MOUSE_CLICK = 3121;        // to the program: a click on a text screen cell
inline constexpr int WML_MOUSE_WHEEL = 3122;        // to the program: wheel steps
inline constexpr int WML_FRAME_ITEM = 3123;         // to the program: the user chose an item
inline constexpr int WML_FILES_DROPPED = 3124;      // to the program: local files were dropped
inline constexpr int WML_PALETTE_CHANGED = 3162;    // to the program: the desktop's colours changed
inline constexpr int WML_WINDOW_GEOMETRY = 3190;  // to the program: the main window moved or sized

// The name of a message number for log lines ("WML_STOP"), or "WM_USER+n" for others.
const char* wml_name(int number);

inline QEvent::Type wml_event_type(int number) {
  return static_cast<QEvent::Type>(QEvent::User + number);
}
inline int wml_number(const QEvent* event) {
  return static_cast<int>(event->type()) - QEvent::User;
}

// A socket offered to another program thread. It closes the socket unless the receiver takes
// it, so an offered link can never leak (an event that is never delivered closes it too).
class OfferedSocket {
 public:
  explicit OfferedSocket(int socket) : socket_(socket) {}
  OfferedSocket(OfferedSocket&& other) noexcept : socket_(std::exchange(other.socket_, -1)) {}
  OfferedSocket& operator=(OfferedSocket&& other) noexcept;
  OfferedSocket(const OfferedSocket&) = delete;
  OfferedSocket& operator=(const OfferedSocket&) = delete;
  ~OfferedSocket();
  // Hands the socket over; afterwards nothing is closed.
  int take() { return std::exchange(socket_, -1); }

 private:
  int socket_;
};

// ---------------------------------------------------------------------------------------------
// To the view.

// Runs an action once, when it is destroyed: a message that carries one tells its sender that
// the message is gone, whether it was handled or dropped. Move-only.
class Receipt {
 public:
  Receipt() = default;
  explicit Receipt(std::function<void()> action) : action_(std::move(action)) {}
  Receipt(Receipt&& other) noexcept : action_(std::exchange(other.action_, nullptr)) {}
  Receipt& operator=(Receipt&& other) noexcept {
    if (this != &other) {
      fire();
      action_ = std::exchange(other.action_, nullptr);
    }
    return *this;
  }
  Receipt(const Receipt&) = delete;
  Receipt& operator=(const Receipt&) = delete;
  ~Receipt() { fire(); }

 private:
  void fire() {
    if (action_) std::exchange(action_, nullptr)();
  }
  std::function<void()> action_;
};

namespace to_view {

// Create the main and content windows under these handles (hidden), with the caption; over
// the window of the parent program when one holds this program (0 none).
struct CreateWindows {
  static constexpr int kNumber = WML_VIEW_CREATE;
  std::int64_t main_handle = 0;
  std::int64_t content_handle = 0;
  std::int64_t parent_handle = 0;
  QString caption;
};

// Place the main window at (x, y) with a content area of width x height (a size of 0 keeps the
// current one, a text screen's follows from its grid), set the caption (an empty one clears
// it), then show and raise it.
struct ShowWindows {
  static constexpr int kNumber = WML_VIEW_SHOW;
  int x = 0, y = 0, width = 0, height = 0;
  QString caption;
  bool first_show = false;  // the windows are shown for the first time: a new main window
  bool cascade = false;     // a new main window takes the next cascade position
};

struct HideWindows {
  static constexpr int kNumber = WML_VIEW_HIDE;
};

struct Title {
  static constexpr int kNumber = WML_VIEW_TITLE;
  QString text;
};

// Cursor kind 0 to 14 (cursor_kind_numbers.h) over the content window.
struct Cursor {
  static constexpr int kNumber = WML_VIEW_CURSOR;
  int kind = 0;
};

// The host works (enabled false: the content window and the key bars take no input) or waits
// for the user again.
struct InputEnabled {
  static constexpr int kNumber = WML_VIEW_INPUT;
  bool enabled = true;
};

// The colour model's look of the program's windows: the background brush is the main and
// content windows' background; the window brush is the background of fields and lists in them;
// the menu and context menu brushes fill the menu bar's popups and the context menus; key bar
// buttons take the button colours. With the model on, the frame (key bars, menus, status bar)
// writes in the model's main font, else in the system's.
struct Background {
  static constexpr int kNumber = WML_VIEW_BACKGROUND;
  QColor colour;
  QColor text;
  QColor window, window_text;
  QColor button, button_text;
  QColor menu, menu_text;
  QColor context_menu, context_menu_text;
  QString frame_font;         // empty: the system font
  int frame_font_tenths = 0;  // its height in tenths of a point
  // With the model on: the key bar buttons' shades, top to bottom, of the button face (normal)
  // and of the highlighted face (pressed); invalid colours leave the style's buttons.
  std::array<QColor, 3> button_shades, pressed_shades;
  int icon_size = 0;  // the title bar's icons (icon views size theirs by it)
};

// A child program holds this program (its window is modal to ours) or let it go again.
struct ChildHolds {
  static constexpr int kNumber = WML_VIEW_CHILD;
  bool holds = false;
  std::int64_t child_window = 0;
};

// A warning the user reads without holding up the program.
struct Warning {
  static constexpr int kNumber = WML_WARNING;
  QString text;
};

// The modeless message window or splash window: the form (foundation::kMsgFormOpenWindow,
// kMsgFormCloseWindows, kMsgFormSplash, kMsgFormReplaceText), a time in milliseconds after
// which the window closes itself (0: it stays), the text and caption as the box shows them.
struct MessageWindow {
  static constexpr int kNumber = WML_VIEW_MESSAGE;
  int form = 0;
  int close_after_ms = 0;
  QString text;
  QString caption;
};

struct Beep {
  static constexpr int kNumber = WML_VIEW_BEEP;
};

// A tooltip area of a graphics window (device pixels of its drawing area).
struct GraphicsTip {
  QRect rect;
  QString text;
};

// The graphics window in the content window: made (Define: its drawing area's size and
// background), shown as drawn so far (Picture: the whole drawing area and its tooltips), taken
// away (End), or given an input field (Field). `done` runs once the view is done with the
// picture.
struct GraphicsWindow {
  static constexpr int kNumber = WML_VIEW_GRAPHICS;
  enum class Operation { Define, Picture, End, Field };
  Operation operation = Operation::Picture;
  // 0 the main window; else a window inside it at `place` (main window pixels), whose drawing
  // area of `extent` is shown from `scroll` on (the picture is that view).
  std::int32_t window = 0;
  QRect place;
  QSize extent;
  QPoint scroll;
  QSize size;
  QColor background;
  QImage picture;
  std::vector<GraphicsTip> tips;
  bool tips_active = true;
  bool square_tips = false;
  Receipt done;
  // Field: the input field inside the window, or none when it is not shown.
  graphics::FieldLook field;
};

// A new text screen in the content window (replaces any screen), or, without a look, no text
// screen any more.
struct TextScreen {
  static constexpr int kNumber = WML_VIEW_TEXT_SCREEN;
  std::optional<TextScreenLook> look;
};

// `done` runs when the message goes, after the view applied it (or when it never reached a
// view): the program thread paces its updates by it.
struct TextRows {
  static constexpr int kNumber = WML_VIEW_TEXT_ROWS;
  TextUpdate update;
  Receipt done;
};

// Window operation (kMapShow ... in program/window_operations.h) on the window registered
// under `window` (any program's).
struct MapWindow {
  static constexpr int kNumber = WML_VIEW_MAP;
  int operation = 0;
  std::int64_t window = 0;
};

// Build the frame around the content window.
struct Frame {
  static constexpr int kNumber = WML_VIEW_FRAME;
  FrameDescription frame;
};

struct ItemState {
  static constexpr int kNumber = WML_VIEW_ITEM_STATE;
  int item = 0;
  int state = 0;
};

// An item's new label (ready for the widgets, as FrameEntry::label) and help text.
struct ItemText {
  static constexpr int kNumber = WML_VIEW_ITEM_TEXT;
  int item = 0;
  QString label;
  QString help;
};

// Show these entries as a popup menu at the pointer.
struct ContextMenu {
  static constexpr int kNumber = WML_VIEW_CONTEXT_MENU;
  std::vector<FrameEntry> entries;
};

struct StatusText {
  static constexpr int kNumber = WML_VIEW_STATUS;
  QString text;
};

// The clipboard holds this text alone from now on.
struct Clipboard {
  static constexpr int kNumber = WML_VIEW_CLIPBOARD;
  QString text;
};

// The input field over the text screen's cells, as it shows now: `width` cells from (`column`,
// `row`) (the whole row with `full_width`), the text as shown (hidden input already masked),
// the cursor, colours and font; `shown` false hides it.
struct InputField {
  static constexpr int kNumber = WML_VIEW_FIELD;
  bool shown = false;
  int row = 0, column = 0, width = 0;
  bool full_width = false;
  QString text;
  int cursor = 0;
  bool insert = false;
  QColor text_colour, background;
  bool bold = false;
};

// A multi-line edit area over `columns` x `rows` cells from (`column`, `row`) holding `text`
// (LF line ends), at most `max_length` characters; with `programmer` Enter keeps the
// indentation and the tab keys indent and outdent by `tab_blanks`. Its host keys follow
// keyboard layout `layout`. It is left with a key, which the view reports (to_program::EditLeft).
struct EditArea {
  static constexpr int kNumber = WML_VIEW_EDIT_AREA;
  int column = 0, row = 0, rows = 0, columns = 0;
  QString text;
  int max_length = 4000;
  bool programmer = false;
  int tab_blanks = 2;
  int layout = 0;
  QColor text_colour, background;
  QString help;
};

// The host dialog over the program's window: shown anew (replacing one that is shown), its list
// refilled, or closed. The description is the program's current definition.
struct HostDialog {
  static constexpr int kNumber = WML_VIEW_DIALOG;
  enum class Operation { Show, Refill, Close };
  Operation operation = Operation::Show;
  dialogs::DialogDefinition definition;
  int layout = 0;  // the keyboard layout that turns keys into host keys
  // The program window's text font, for a message's text (empty: the dialog's font).
  QString text_font;
  int text_font_tenths = 0;
};

// Destroy the windows; the view ends with this message.
struct Destroy {
  static constexpr int kNumber = WML_VIEW_DESTROY;
};

}  // namespace to_view

using ViewMessage =
    std::variant<to_view::CreateWindows, to_view::ShowWindows, to_view::HideWindows, to_view::Title,
                 to_view::Cursor, to_view::InputEnabled, to_view::Background, to_view::ChildHolds,
                 to_view::Warning, to_view::MessageWindow, to_view::Beep, to_view::TextScreen,
                 to_view::TextRows, to_view::MapWindow, to_view::Frame, to_view::ItemState,
                 to_view::ItemText, to_view::ContextMenu, to_view::StatusText, to_view::Clipboard,
                 to_view::InputField, to_view::EditArea, to_view::HostDialog,
                 to_view::GraphicsWindow, to_view::Destroy, to_view::Hardcopy, to_view::IconView,
                 to_view::ListDialog, to_view::FrameIcons, to_view::ToolCaption>;

// ---------------------------------------------------------------------------------------------
// To the program.

namespace to_program {

// The user closes the program's window: the program decides (close rule, question).
struct Close {
  static constexpr int kNumber = WML_CLOSE;
};

// Close the program without asking (the shell, for the daemon).
struct Stop {
  static constexpr int kNumber = WML_STOP;
};

// Take over the link of a new connection of the same host program.
struct Reconnect {
  static constexpr int kNumber = WML_RECONNECT;
  int host_pid = 0;
  OfferedSocket socket{-1};
};

// A child program placed over this program's window started (or ended).
struct ChildProgram {
  static constexpr int kNumber = WML_CHILD_PROGRAM;
  bool started = false;
  std::int64_t child_window = 0;
};

// Show a text with a caption in a modal box (an urgent message of the daemon).
struct ShowMessage {
  static constexpr int kNumber = WML_SHOW_MESSAGE;
  QString caption;
  QString text;
};

// Text output commands handed over by the shell.
struct TextOutput {
  static constexpr int kNumber = WML_TEXT_OUTPUT;
  std::vector<std::uint8_t> commands;
};

// A key press in the content window. `text` holds the characters it types (a control
// character for Ctrl with a letter), empty for keys that type none.
struct KeyPress {
  static constexpr int kNumber = WML_KEY_PRESS;
  HostKey key{};
  int modifiers = 0;  // kModShift, kModCtrl, kModAlt
  int repeat = 1;     // the key's repeat count (at least 1)
  QString text;
};

// A button released after a press on the text screen: the mouse button code (1 left, 2 middle
// or both, 3 right, + 10 for a double click, + 20 x the modifier bits held at the press) and
// the cell of the grid under the pointer (the view scrolls over the grid).
struct MouseClick {
  static constexpr int kNumber = WML_MOUSE_CLICK;
  int button_code = 0;
  int column = 0;
  int row = 0;
};

// The user scrolled the graphics window `window` inside the main one to `x`, `y` of its
// drawing area.
struct GraphicsScroll {
  static constexpr int kNumber = WML_GRAPHICS_SCROLL;
  std::int32_t window = 0;
  int x = 0;
  int y = 0;
};

// A click in the graphics window: the button code (as on a text screen), where in the drawing
// area (device pixels) and the modifiers held (1 Shift, 2 Ctrl, 4 Alt).
struct GraphicsClick {
  static constexpr int kNumber = WML_GRAPHICS_CLICK;
  int button_code = 0;
  int x = 0;
  int y = 0;
  int modifiers = 0;
  std::int32_t window = 0;  // 0 the main window, else the window inside it (its own pixels)
};

// Wheel steps: positive away from the user, one per 120 units.
struct MouseWheel {
  static constexpr int kNumber = WML_MOUSE_WHEEL;
  int steps = 0;
};

// The user chose the frame item `id`.
struct FrameItem {
  static constexpr int kNumber = WML_FRAME_ITEM;
  int id = 0;
  QString toolbar_text;  // what the toolbar's first control holds (icon views answer with it)
};

// Local files dropped on the content window, in the order they came; the host asks for them
// with KGETCLIP.
struct FilesDropped {
  static constexpr int kNumber = WML_FILES_DROPPED;
  QStringList files;
};

// The main window's place and size on the desktop after the user (or the window system) moved
// or sized it; only top-level windows that are not minimised report.
struct WindowGeometry {
  static constexpr int kNumber = WML_WINDOW_GEOMETRY;
  int x = 0, y = 0, width = 0, height = 0;
  bool maximised = false;
  // What the window system and the style draw around and in the window: the frame's width,
  // the title bar's height (0 without one) and a vertical scroll bar's width, in pixels.
  int frame_width = 0;
  int title_height = 0;
  int scroll_bar_width = 0;
};

// The user acted in the shown host dialog.
struct DialogUserAction {
  static constexpr int kNumber = WML_DIALOG_ACTION;
  dialogs::DialogAction action;
};

// The edit area was left with host key `exit_key`; `text` is what it holds (LF line ends).
struct EditLeft {
  static constexpr int kNumber = WML_EDIT_LEFT;
  int exit_key = 0;
  QString text;
  bool modified = false;
};

}  // namespace to_program

namespace to_program {

// The desktop's colours changed (the system colours are taken anew): the colour model is
// applied again.
struct PaletteChanged {
  static constexpr int kNumber = WML_PALETTE_CHANGED;
};

}  // namespace to_program

using ProgramMessage =
    std::variant<to_program::Close, to_program::Stop, to_program::Reconnect,
                 to_program::ChildProgram, to_program::ShowMessage, to_program::TextOutput,
                 to_program::KeyPress, to_program::MouseClick, to_program::MouseWheel,
                 to_program::FrameItem, to_program::FilesDropped, to_program::WindowGeometry,
                 to_program::EditLeft, to_program::DialogUserAction, to_program::GraphicsClick,
                 to_program::GraphicsScroll, to_program::PaletteChanged, to_program::IconViewAction,
                 to_program::ListDialogDone>;

// The number of the alternative a message holds.
template <typename Variant>
int message_number(const Variant& message) {
  return std::visit([](const auto& held) { return std::decay_t<decltype(held)>::kNumber; },
                    message);
}

// The event that carries one message of a set.
template <typename Variant>
class MessageEvent : public QEvent {
 public:
  explicit MessageEvent(Variant message)
      : QEvent(wml_event_type(message_number(message))), message(std::move(message)) {}
  int number() const { return wml_number(this); }
  Variant message;
};

using ViewEvent = MessageEvent<ViewMessage>;
using ProgramEvent = MessageEvent<ProgramMessage>;

// To the shell: a program thread ended; `remaining` programs still run, `exit_flags` are the
// bits its host set (KCFLAG).
class ProgramEndedEvent : public QEvent {
 public:
  ProgramEndedEvent(int remaining, std::uint32_t exit_flags)
      : QEvent(wml_event_type(WML_ENDE)), remaining(remaining), exit_flags(exit_flags) {}
  const int remaining;
  const std::uint32_t exit_flags;
};

// Queue a message on a channel; false (message dropped) when nobody is bound to it.
inline bool post_to_view(EventChannel& channel, ViewMessage message) {
  return channel.post(new ViewEvent(std::move(message)));
}
inline bool post_to_program(EventChannel& channel, ProgramMessage message) {
  return channel.post(new ProgramEvent(std::move(message)));
}

}  // namespace kovw::session
