#pragma once
// One running host program: its identity, its link, the handles of its windows and the state
// of its lifecycle. Owned by the program thread, which alone touches it; other threads see it
// only through the program list (program_list.h), and only the members marked "shared" there,
// under the process-wide lock.

#include <QSocketNotifier>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/edit_area.h"
#include "dialogs/host_dialog.h"
#include "foundation/host_text.h"
#include "net/link.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/screen_definition.h"
#include "session/event_channel.h"
#include "session/program/close_rule.h"
#include "session/program/colour_model.h"
#include "session/program/frame.h"
#include "session/program/key_buffer.h"
#include "session/program/key_translation.h"
#include "session/program/macro_session.h"
#include "session/program/screen.h"
#include "session/program/screen_font.h"
#include "session/program/session_host.h"
#include "session/program/text_screen.h"

namespace kovw::session {

struct ActiveField;
class GraphicsProgram;
struct IconViewState;
class PrintOutput;

class SuperWindow;
class TextOutputPacer;
class RunningDownload;

// Screen kinds (0 until the first screen is initialised).
inline constexpr int kScreenNone = 0;
inline constexpr int kScreenText = 1;
inline constexpr int kScreenGraphics = 2;
inline constexpr int kScreenGraphics2 = 3;
inline constexpr int kScreenIcons = 4;
inline constexpr int kScreenIconStyle = 5;

// Status bits.
inline constexpr std::uint32_t kStatusFirstProgram = 0x1;
inline constexpr std::uint32_t kStatusEmbedded = 0x100;

struct ProgramSession {
  // What the host library told about itself and asked for (this thread only).
  int host_version = protocol::kDefaultHostVersion;  // until KINIT reports one
  int link_timeout_ms = 0;                           // receive time-out of the link
  std::uint32_t exit_flags = 0;  // bits the host sets with KCFLAG, reported when the program ends
  // True while the host waits for a key it asked for (KWK_WTEST found no keys): the next key
  // goes at once, also in single-key mode.
  bool host_waits_for_keys = false;
  std::string short_name;  // at most 16 bytes: the window text, later the caption

  // Identity (shared: read by other threads under the process-wide lock).
  int thread_id = 0;         // the number KGETWINID reports and KRECONNECT names
  int host_pid = 0;          // from KINIT (before it: the pid text of the start record)
  std::string program_name;  // UTF-8, from KINIT
  std::string title;         // the connection name (start title)
  std::string host;          // host text of the start record
  int port = -1;
  std::vector<std::uint8_t> identification;  // the message that opened the link
  std::string caption;                       // window caption text, caption of the program's boxes
  std::time_t start_time = 0;
  std::uint32_t status = 0;
  ChannelPtr to_program;  // the program thread's super window
  // Window handles, 0 until the windows exist (shared).
  std::int64_t main_window = 0;
  std::int64_t content_window = 0;
  std::int64_t parent_window = 0;  // the window this program is placed over or in, 0 none

  // Child program that holds this program modal.
  std::int64_t child_window = 0;
  int child_thread_id = 0;
  int parent_thread_id = 0;  // the program whose window is our parent, 0 none

  // Windows (the program thread only posts to them).
  ChannelPtr to_view;            // the program's widgets on the GUI thread
  bool windows_created = false;  // KINIT created them (hidden)
  bool windows_shown = false;    // the first screen definition showed them
  int screen_kind = kScreenNone;
  std::int32_t screen_style = 0;  // style bits of the last screen definition
  bool screen_ready = false;
  int content_width = 0, content_height = 0;  // pixels, from the screen definition
  int window_x = 0, window_y = 0;             // position of the main window
  // The position the last screen definition named, and the main window's size and state as
  // the view last reported them (window_geometry.h).
  int defined_x = 0, defined_y = 0;
  bool position_defined = false;
  int main_width = 0, main_height = 0;
  bool maximised = false;
  // What the view last reported of the frame, title bar and scroll bars (pixels; 0 unknown).
  int frame_width = 0, title_height = 0, scroll_bar_width = 0;
  int cursor_kind = 0;
  std::unique_ptr<TextScreen> text_screen;      // while the screen is a text screen
  std::shared_ptr<TextOutputPacer> text_pacer;  // paces its updates to the view
  int font_scale_percent = 100;                 // from "Font Faktor" at the screen definition
  ScreenFont screen_font;                       // the screen's font, scaled, from its definition
  // The screen option record of the last screen definition (normalised) and the model values
  // derived from it when the screen was made.
  protocol::ScreenOptions screen_options = protocol::default_screen_options();
  // The options as the screen definition sent them, before the system colours filled them in:
  // the colour model is computed from them again when the desktop's colours change.
  protocol::ScreenOptions definition_options = protocol::default_screen_options();
  bool colour_model_applied = false;  // a screen definition set the model
  ColourModel colour_model;
  // From host library 0x060B00: the program options the host sends with its screen definition;
  // such a host also sets the program's font name table itself.
  std::string extended_options;
  bool host_sets_font_names = false;

  // Graphics requests the host waits on. The pending answer state of the graphics window: 0
  // none, 1 and 2 an input is owed, 4 the answer already went (the next definition's reply is
  // left out). KWK_GABORT answers from it and suppresses the next definition's reply.
  int graphics_pending_answer = 0;
  bool suppress_digra_reply = false;
  // The graphics cursor state the host sets with KWK_CURSOR of the graphics service: 0 never
  // set, 1 busy, 2 normal.
  int graphics_cursor_state = 0;

  // The frame's items (key bars, menus, context menus) and its status bar.
  FrameState frame;
  // The input field that takes the keys now (input_fields.h), or null.
  std::shared_ptr<ActiveField> field;
  // The edit area the view shows for the host (edit_areas.h), until it is left.
  std::optional<dialogs::EditArea> edit_area;
  // The host dialogs of the program window (host_dialogs.h).
  dialogs::DialogState dialogs;

  // The download that runs (transfer_commands.h): while it is set, every service-0 message
  // goes to it.
  std::shared_ptr<RunningDownload> download;

  // Local files dropped on the content window and not yet asked for (KGETCLIP), oldest first.
  QStringList dropped_files;

  // Keys typed and not yet read by the host, and the escape prefix of the key translation.
  KeyBuffer keys;
  KeyTranslator key_translator;

  // Link.
  net::Link link;  // closed when !link.is_open()
  std::unique_ptr<QSocketNotifier> notifier;
  bool activity = false;            // set by every send and receive
  bool link_lost_reported = false;  // a dead link was reported once; sends stop
  // The link counts among those waiting for the host program's introduction (KINIT or
  // KRECONNECT) until one arrives or the session ends.
  bool awaiting_introduction = false;
  int keep_alive_timer = 0;

  // Messages (show_message on this thread).
  int current_message_flags = 0;           // the flags of the last box shown
  bool boxes_on_graphics_allowed = false;  // the program allows boxes on kind-3 graphics
  bool macro_playback = false;             // a macro plays: boxes become 1 s message windows
  // The program's part of a recording or playback (macro_session.h), null without a macro.
  MacroSessionPtr macro;

  // The current screen: takes the host's output and the user's input, and closes in its own
  // way (a text screen sends the close key). Null while the screen kind has none; then a close
  // request asks the user at once.
  std::unique_ptr<Screen> screen;
  // The graphics windows and their stream (graphics_windows.h), made on first use.
  std::shared_ptr<GraphicsProgram> graphics;
  // The icon view of screen mode 4 (icon_view.h), made with the first one.
  std::shared_ptr<IconViewState> icon_view;

  // Closing.
  CloseRule close_rule;
  bool ending = false;  // the event loop is asked to end

  std::shared_ptr<const SessionHost> host_hooks;
  SuperWindow* super = nullptr;
  // The printer of a direct print link (print_output.h); null for program links.
  PrintOutput* print_output = nullptr;

  // The program's texts are UTF-8 (style bit 18 of its screen definition); otherwise they are
  // ANSI unless a text carries the UTF-8 marker.
  bool texts_utf8() const { return (screen_style & protocol::kStyleUtf8Title) != 0; }
  // The flags for converting the program's texts (foundation::host_to_wide, wide_to_host).
  int host_text_flags() const { return texts_utf8() ? foundation::kTextUtf8 : 0; }
};

}  // namespace kovw::session
