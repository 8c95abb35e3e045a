// Service KWD_WIN, the program window: screen definitions, titles, message boxes, key requests,
// beeps, the workflow result and the first-program flag.

#include "foundation/log.h"
#include "foundation/named_lock.h"
#include "foundation/workflow_state.h"
#include "net/link_names.h"
#include "protocol/program/window_service.h"
#include "session/program/command_table.h"
#include "session/program/key_buffer.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"
#include "session/program/screen_initialisation.h"
#include "session/program/text_output.h"

namespace kovw::session {

namespace {

// KWK_WRETC: the value becomes the workflow result (the exit code in workflow mode); the host
// gets it back as confirmation.
void handle_workflow_result(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto value = protocol::parse_single_int(payload);
  if (!value) {
    log_parse_failure(value.error());
    return;
  }
  foundation::set_workflow_result(*value);
  dt_send_retc(1, session, net::KWD_WIN, net::KWK_WRETC, *value);
}

// KWK_WKILLSAVE: the host marks its program as the first one (nonzero) or not (0).
void handle_first_program(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto value = protocol::parse_single_int(payload);
  if (!value) {
    log_parse_failure(value.error());
    return;
  }
  foundation::DefaultLockGuard lock;  // other threads read the status under the lock
  if (*value != 0)
    session.status |= kStatusFirstProgram;
  else
    session.status &= ~kStatusFirstProgram;
}

}  // namespace

void register_program_window_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WINIT, [](ProgramSession& session, const Command& command) {
    initialise_screen(session, command.payload);
  });
  table.add(net::KWD_WIN, net::KWK_WDAT, [](ProgramSession& session, const Command& command) {
    if (session.screen) session.screen->output(session, command.payload);
  });
  table.add(net::KWD_WIN, net::KWK_WTAST, [](ProgramSession& session, const Command&) {
    text_flush(session);
    key_request(session);
  });
  table.add(net::KWD_WIN, net::KWK_WTEST, [](ProgramSession& session, const Command&) {
    text_flush(session);
    key_request(session);
  });
  table.add(net::KWD_WIN, net::KWK_WRETC, [](ProgramSession& session, const Command& command) {
    handle_workflow_result(session, command.payload);
  });
  table.add(net::KWD_WIN, net::KWK_WKILLSAVE, [](ProgramSession& session, const Command& command) {
    handle_first_program(session, command.payload);
  });
  table.add(net::KWD_WIN, net::KWK_BEEP,
            [](ProgramSession& session, const Command&) { host_beep(session); });
}

}  // namespace kovw::session
