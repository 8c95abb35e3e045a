// Service KWD_KOMM, program control: program start-up (KINIT and the windows it creates,
// hidden until the first screen definition shows them), the window ids the host library asks
// for (KGETWINID), moving a link to the thread that served the program before (KRECONNECT)
// and the exit flags (KCFLAG); the local files, programs, fonts, clipboard, colour chooser and
// window operations have files of their own, which register their types themselves.

#include <QString>
#include <atomic>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "protocol/program/start_messages.h"
#include "session/program/command_table.h"
#include "session/program/macro_session.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_list.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/program/screen_metrics.h"
#include "session/window_messages.h"
#include "session/window_registry.h"

namespace kovw::session {

namespace {

// Host library versions of the internet mode.
constexpr int kVersionInternetMode = 0x020602;
constexpr int kVersionLinkOptions = 0x020603;
// From this host library on, a program can leave large pictures out on a slow connection.
constexpr int kVersionPictureSuppression = 0x040A00;

// A program of an older host library sends every picture even when the login asked for a
// slow connection: the log says so once per run.
void note_pictures_not_suppressed(int version, int slow_connect_level) {
  static std::atomic<bool> noted{false};
  if (version >= kVersionPictureSuppression || slow_connect_level == 0) return;
  if (noted.exchange(true)) return;
  foundation::show_message_number(nullptr, foundation::kMsgLogOnly, 0, "KOV Workstation", 10084);
}

constexpr std::size_t kProgramNameMax = 256;  // characters

std::string program_name_from(const std::string& host_text) {
  std::u16string wide = foundation::host_to_wide(host_text);
  if (wide.size() >= kProgramNameMax) wide.resize(kProgramNameMax - 1);
  return QString::fromStdU16String(wide).toStdString();
}

void handle_kinit(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_kinit(payload);
  if (!parsed) {
    log_parse_failure(parsed.error());
    return;
  }
  const protocol::KInit& kinit = *parsed;
  const std::string program_name = program_name_from(kinit.program_name);
  const int version = kinit.version();
  const std::int64_t parent = kinit.parent_window;

  session.host_version = version;
  note_pictures_not_suppressed(version, session.host_hooks->slow_connect_level);
  session.link_timeout_ms =
      kinit.link_timeout_ms.value_or(0) > 0 ? *kinit.link_timeout_ms : net::default_net_timeout();
  session.link.set_receive_timeout(session.link_timeout_ms);
  if (session.caption.empty()) session.caption = program_name;

  ProgramInfo parent_program;
  if (parent != 0 && find_program_by_window(parent, &parent_program) &&
      parent_program.thread_id != session.thread_id) {
    session.parent_thread_id = parent_program.thread_id;
  }
  if (parent != 0) {
    session.parent_window = parent;
    if (kinit.embed.value_or(0) != 0) session.status |= kStatusEmbedded;
  }

  // The windows: handles first (the host asks for them next), then the widgets on the GUI
  // thread. A second KINIT keeps the windows it has.
  const std::int64_t main = session.main_window != 0 ? session.main_window : new_window_handle();
  const std::int64_t content =
      session.content_window != 0 ? session.content_window : new_window_handle();
  program_list_update(session, kinit.host_pid, program_name, main, content);
  macro_session_start(session);
  if (!session.windows_created) {
    post_to_view(*session.to_view,
                 to_view::CreateWindows{
                     main, content, session.parent_thread_id ? parent : 0,
                     QString::fromStdString(program_name.empty() ? session.title : program_name)});
    post_to_view(*session.to_view, to_view::Cursor{session.cursor_kind});
    session.windows_created = true;  // shown by the first screen definition
  }

  // Internet mode: keep-alive and the link options of the login.
  const SessionHost& host = *session.host_hooks;
  if (host.keep_alive_seconds <= 0) return;
  if (version < kVersionInternetMode) {
    // The user is told without holding up the program: the view shows the warning.
    std::string text = foundation::message_text(40446);
    if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, program_name);
    post_to_view(*session.to_view, to_view::Warning{QString::fromStdString(text)});
    return;
  }
  session.super->start_keep_alive(host.keep_alive_seconds);
  session.link.set_options(version < kVersionLinkOptions ? 0 : host.options_word, true,
                           host.encryption_allowed);
}

void handle_kgetwinid(ProgramSession& session) {
  const ScreenSize screen = screen_size();
  protocol::WindowIds ids;
  ids.content_window = static_cast<std::int32_t>(session.content_window);
  ids.main_window = static_cast<std::int32_t>(session.main_window);
  ids.screen_width = screen.width;
  ids.screen_height = screen.height;
  ids.parent_window =
      (session.status & kStatusEmbedded) ? static_cast<std::int32_t>(session.parent_window) : 0;
  ids.thread_id = session.thread_id;
  const protocol::Outgoing answer = protocol::build_window_ids(ids);
  dt_send(session, answer.service, answer.type, answer.payload);
}

// The link moves to the thread that served this host program before; this thread ends.
void handle_reconnect(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_kreconnect(payload);
  if (!parsed) {
    log_parse_failure(parsed.error());
    return;
  }
  ProgramInfo old;
  const bool found =
      parsed->thread_id != session.thread_id && find_program(parsed->thread_id, &old);
  if (!found || old.host_pid != parsed->host_pid) {
    foundation::log_printf("WML_RECONNECT failed, wrong Host-Pid %d (expect: %d)", parsed->host_pid,
                           found ? old.host_pid : 0);
    session.super->close_link();
    end_program(session);
    return;
  }
  const int socket = session.super->release_link();
  post_to_program(*old.to_program, to_program::Reconnect{parsed->host_pid, OfferedSocket(socket)});
  end_program(session);
}

}  // namespace

void register_program_control_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KINIT, [](ProgramSession& session, const Command& command) {
    handle_kinit(session, command.payload);
  });
  table.add(net::KWD_KOMM, net::KWK_KGETWINID,
            [](ProgramSession& session, const Command&) { handle_kgetwinid(session); });
  table.add(net::KWD_KOMM, protocol::KWK_KRECONNECT,
            [](ProgramSession& session, const Command& command) {
              handle_reconnect(session, command.payload);
            });
  table.add(net::KWD_KOMM, net::KWK_KCFLAG, [](ProgramSession& session, const Command& command) {
    if (const auto bits = protocol::parse_kcflag(command.payload))
      session.exit_flags |= static_cast<std::uint32_t>(*bits);
    else
      log_parse_failure(bits.error());
  });
}

}  // namespace kovw::session
