// dt_command: the hand-over of every received program-link message to its handler, the
// screens of the services without a file of their own, and the Retc answers.

#include "session/program/program_dispatch.h"

#include "foundation/log.h"
#include "foundation/verbose.h"
#include "net/link_names.h"
#include "session/program/command_table.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/handler_context.h"
#include "session/program/macro_session.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/program/screen_initialisation.h"
#include "session/program/session_context.h"
#include "session/program/session_host.h"
#include "session/program/transfer_commands.h"
#include "session/window_messages.h"

namespace kovw::session {

void log_parse_failure(const protocol::ParseFailure& failure) {
  foundation::log_printf("dt_command: %s", failure.message.c_str());
}

int dt_send_retc(int count, ProgramSession& session, int service, int type, std::int32_t first,
                 std::int32_t second, std::int32_t third, std::int32_t fourth) {
  return LinkReplies(session).send_retc(count, service, type, first, second, third, fourth);
}

void host_beep(HandlerContext& context) {
  if (context.host.beeps_on) context.view.post(to_view::Beep{});
}

void host_beep(ProgramSession& session) {
  run_in_session_context(session, [](HandlerContext& context) { host_beep(context); });
}

void register_screen_commands(CommandTable& table) {
  table.add(net::KWD_DIGRA, net::KWK_BEEP,
            [](ProgramSession& session, const Command&) { host_beep(session); });
  table.add(net::KWD_LIST, net::KWK_LINIT, [](ProgramSession& session, const Command& command) {
    post_to_view(*session.to_view, to_view::HideWindows{});
    initialise_screen(session, command.payload);
    session.screen_ready = true;
  });
  table.add(net::KWD_DIMEN, net::KWK_DMINIT, [](ProgramSession& session, const Command& command) {
    set_cursor_kind(session, kCursorWait);
    initialise_screen(session, command.payload);
  });
}

void dt_command(ProgramSession& session, const net::LinkMessage& header,
                std::span<const std::uint8_t> payload) {
  // A running download takes every service-0 message until the one that ends it.
  if (header.service == net::KWD_KOMM && download_running(session)) {
    receive_download(session, header.type, payload);
    return;
  }
  if (macro_takes_request(session, header.service, header.type, payload)) return;
  dispatch_command(program_commands(), session, header, payload);
}

}  // namespace kovw::session
