// The command dispatch of a program link: program start-up (KINIT and the windows it
// creates), the window ids the host library asks for (KGETWINID), moving a link to the thread
// that served the program before (KRECONNECT) and the exit flags (KCFLAG). Every other message
// is logged as not handled yet; the screen, dialog and graphics handlers join here.

#include <QString>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "net/fields.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "session/program_link.h"
#include "session/program_list.h"
#include "session/program_session.h"
#include "session/program_thread.h"
#include "session/program_view.h"
#include "session/screen_metrics.h"
#include "session/thread_context.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

// The host's reconnect request (not in the shared name table yet).
constexpr int kKrReconnect = 61;

// Host library versions that gate KINIT items and the internet mode.
constexpr int kVersionParentWindow = 0x030002;
constexpr int kVersionEmbedFlag = 0x042400;
constexpr int kVersionLinkTimeout = 0x060504;
constexpr int kVersionInternetMode = 0x020602;
constexpr int kVersionLinkOptions = 0x020603;

constexpr std::size_t kProgramNameMax = 256;  // characters

// An optional integer item is there when at least a field header remains.
bool has_item(const net::FieldCursor& at) {
  return !at.failed && at.remaining() >= 2;
}

std::string program_name_from(std::span<const std::uint8_t> field) {
  std::string_view text(reinterpret_cast<const char*>(field.data()), field.size());
  if (const auto zero = text.find('\0'); zero != std::string_view::npos)
    text = text.substr(0, zero);
  std::u16string wide = foundation::host_to_wide(text);
  if (wide.size() >= kProgramNameMax) wide.resize(kProgramNameMax - 1);
  return QString::fromStdU16String(wide).toStdString();
}

void handle_kinit(ProgramSession& session, std::span<const std::uint8_t> payload) {
  ThreadContext& context = *thread_context();
  net::FieldCursor at(payload);
  const int host_pid = net::get_int_field(at);
  const auto name_field = net::get_bytes_view(at);
  if (at.failed) {
    foundation::log_printf("KWK_KINIT: fehlerhafte Nachricht (%zu Bytes)", payload.size());
    return;
  }
  const std::string program_name = program_name_from(name_field);
  const int version = has_item(at) ? net::get_int_field(at) : kDefaultHostVersion;
  std::int64_t parent = 0;
  bool embed = false;
  int link_timeout = 0;
  if (version >= kVersionParentWindow && has_item(at)) parent = net::get_int_field(at);
  if (version >= kVersionEmbedFlag && has_item(at)) embed = net::get_int_field(at) != 0;
  if (version >= kVersionLinkTimeout && has_item(at)) link_timeout = net::get_int_field(at);

  context.host_version = version;
  context.link_timeout_ms = link_timeout > 0 ? link_timeout : net::default_net_timeout();
  if (session.caption.empty()) session.caption = program_name;

  ProgramInfo parent_program;
  if (parent != 0 && find_program_by_window(parent, &parent_program) &&
      parent_program.thread_id != session.thread_id) {
    session.parent_thread_id = parent_program.thread_id;
  }
  if (parent != 0) {
    session.parent_window = parent;
    if (embed) session.status |= kStatusEmbedded;
  }

  // The windows: handles first (the host asks for them next), then the widgets on the GUI
  // thread. A second KINIT keeps the windows it has.
  const std::int64_t main = session.main_window != 0 ? session.main_window : new_window_handle();
  const std::int64_t content =
      session.content_window != 0 ? session.content_window : new_window_handle();
  program_list_update(session, host_pid, program_name, main, content);
  if (!session.windows_created) {
    auto* create = new ViewCreateEvent(main, content, session.parent_thread_id ? parent : 0);
    create->text = QString::fromStdString(program_name.empty() ? session.title : program_name);
    session.to_view->post(create);
    session.to_view->post(new WmlEvent(WML_VIEW_CURSOR, session.cursor_kind));
    session.to_view->post(new WmlEvent(WML_VIEW_SHOW));
    session.windows_created = true;
    if (session.parent_thread_id != 0)
      parent_program.to_program->post(new WmlEvent(WML_CHILD_PROGRAM, 1, main));
  }

  // Internet mode: keep-alive and the link options of the login.
  const SessionHost& host = *session.host_hooks;
  if (host.keep_alive_seconds <= 0) return;
  if (version < kVersionInternetMode) {
    foundation::log_printf("%s: %s", program_name.c_str(), foundation::message_text(40446));
    return;
  }
  session.super->start_keep_alive(host.keep_alive_seconds);
  net::link_set_options(version < kVersionLinkOptions ? 0 : host.options_word, true,
                        host.encryption_allowed);
}

void handle_kgetwinid(ProgramSession& session) {
  const ScreenSize screen = screen_size();
  std::vector<std::uint8_t> answer;
  net::put_int_field(answer, session.content_window, 4);
  net::put_int_field(answer, session.main_window, 4);
  net::put_int_field(answer, screen.width, 4);
  net::put_int_field(answer, screen.height, 4);
  net::put_int_field(answer, (session.status & kStatusEmbedded) ? session.parent_window : 0, 4);
  net::put_int_field(answer, session.thread_id, 4);
  dt_send(session, net::KWD_KOMM, net::KWK_KGETWINID, answer);
}

// The link moves to the thread that served this host program before; this thread ends.
void handle_reconnect(ProgramSession& session, std::span<const std::uint8_t> payload) {
  net::FieldCursor at(payload);
  const int host_pid = net::get_int_field(at);
  net::get_int_field(at);  // the main window: not needed
  const int thread_id = net::get_int_field(at);
  if (at.failed) {
    foundation::log_printf("KWK_KRECONNECT: fehlerhafte Nachricht (%zu Bytes)", payload.size());
    return;
  }
  ProgramInfo old;
  const bool found = thread_id != session.thread_id && find_program(thread_id, &old);
  if (!found || old.host_pid != host_pid) {
    foundation::log_printf("WML_RECONNECT failed, wrong Host-Pid %d (expect: %d)", host_pid,
                           found ? old.host_pid : 0);
    session.super->close_link();
    end_program(session);
    return;
  }
  const int socket = session.super->release_link();
  old.to_program->post(new ReconnectEvent(host_pid, socket));
  end_program(session);
}

}  // namespace

void dt_command(ProgramSession& session, const net::LinkMessage& header,
                std::span<const std::uint8_t> payload) {
  if (header.service == net::KWD_KOMM) {
    switch (header.type) {
      case net::KWK_KINIT:
        handle_kinit(session, payload);
        return;
      case net::KWK_KGETWINID:
        handle_kgetwinid(session);
        return;
      case kKrReconnect:
        handle_reconnect(session, payload);
        return;
      case net::KWK_KCFLAG: {
        net::FieldCursor at(payload);
        const int bits = net::get_int_field(at);
        if (!at.failed) thread_context()->exit_flags |= static_cast<std::uint32_t>(bits);
        return;
      }
      default:
        break;
    }
  }
  const char* service = net::service_name(header.service);
  const char* type = net::type_name(header.service, header.type);
  foundation::log_printf("dt_command: %s/%s (%d/%d) Len %d noch nicht behandelt",
                         service ? service : "?", type ? type : "?", header.service, header.type,
                         header.length);
}

}  // namespace kovw::session
