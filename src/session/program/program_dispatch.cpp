// dt_command: the hand-over of every received program-link message to its service's handler,
// the services without a file of their own, and the Retc answers.

#include "session/program/program_dispatch.h"

#include "foundation/log.h"
#include "foundation/verbose.h"
#include "net/link_names.h"
#include "protocol/program/retc.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/frame.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/program/screen_initialisation.h"
#include "session/window_messages.h"

namespace kovw::session {

void log_parse_failure(const protocol::ParseFailure& failure) {
  foundation::log_printf("dt_command: %s", failure.message.c_str());
}

int dt_send_retc(int count, ProgramSession& session, int service, int type, std::int32_t first,
                 std::int32_t second, std::int32_t third, std::int32_t fourth) {
  foundation::log_printf("Send Retc %d/ %d - %d - %d - %d", type, first, second, third, fourth);
  const std::int32_t values[] = {first, second, third, fourth};
  const protocol::Outgoing answer = protocol::build_retc(
      service, type, std::span<const std::int32_t>(values, static_cast<std::size_t>(count)));
  return dt_send(session, answer.service, answer.type, answer.payload);
}

void host_beep(ProgramSession& session) {
  if (session.host_hooks->beeps_on) post_to_view(*session.to_view, to_view::Beep{});
}

bool window_service_command(ProgramSession& session, int type,
                            std::span<const std::uint8_t> payload) {
  switch (type) {
    case net::KWK_BEEP:
      host_beep(session);
      return true;
    case net::KWK_CREAKONTEXT:
      context_menu_create(session, payload);
      return true;
    case net::KWK_ACTKONTEXT:
      handle_actkontext(session, net::KWD_DIGRA, payload);
      return true;
    default:
      return false;
  }
}

bool list_command(ProgramSession& session, int type, std::span<const std::uint8_t> payload) {
  switch (type) {
    case net::KWK_LINIT:
      post_to_view(*session.to_view, to_view::HideWindows{});
      initialise_screen(session, payload);
      session.screen_ready = true;
      return true;
    default:
      return false;
  }
}

bool menu_program_command(ProgramSession& session, int type,
                          std::span<const std::uint8_t> payload) {
  switch (type) {
    case net::KWK_DMINIT:
      set_cursor_kind(session, kCursorWait);
      initialise_screen(session, payload);
      return true;
    case net::KWK_ACTKONTEXT:
      handle_actkontext(session, net::KWD_DIMEN, payload);
      return true;
    default:
      return false;
  }
}

void dt_command(ProgramSession& session, const net::LinkMessage& header,
                std::span<const std::uint8_t> payload) {
  const bool trace = foundation::verbose(foundation::kVerboseGeneral);
  if (trace)
    foundation::log_printf("Client Command %d/%d Länge %d", header.service, header.type,
                           header.length);
  bool handled = false;
  switch (header.service) {
    case net::KWD_KOMM:
      handled = program_control_command(session, header.type, payload);
      break;
    case net::KWD_DIGRA:
      handled = window_service_command(session, header.type, payload);
      break;
    case net::KWD_WIN:
      handled = program_window_command(session, header.type, payload);
      break;
    case net::KWD_LIST:
      handled = list_command(session, header.type, payload);
      break;
    case net::KWD_DIMEN:
      handled = menu_program_command(session, header.type, payload);
      break;
    default:
      break;
  }
  if (!handled) {
    const char* service = net::service_name(header.service);
    const char* type = net::type_name(header.service, header.type);
    foundation::log_printf("dt_command: %s/%s (%d/%d) Len %d noch nicht behandelt",
                           service ? service : "?", type ? type : "?", header.service, header.type,
                           header.length);
  }
  if (trace) foundation::log_printf("Client Command fertig.");
}

}  // namespace kovw::session
