// Service KWD_WIN, the program window: screen definitions, titles, message boxes, key requests,
// beeps, the workflow result and the first-program flag.

#include "foundation/log.h"
#include "foundation/named_lock.h"
#include "foundation/workflow_state.h"
#include "net/link_names.h"
#include "protocol/program/window_service.h"
#include "session/program/frame.h"
#include "session/program/host_message_box.h"
#include "session/program/key_buffer.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"
#include "session/program/screen_initialisation.h"
#include "session/program/text_output.h"
#include "session/program/window_title.h"

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

bool program_window_command(ProgramSession& session, int type,
                            std::span<const std::uint8_t> payload) {
  switch (type) {
    case net::KWK_WINIT:
      initialise_screen(session, payload);
      return true;
    case net::KWK_WDAT:
      text_output(session, payload);
      return true;
    case net::KWK_WTIT:
      handle_title(session, payload);
      return true;
    case net::KWK_WTOOL:
      return true;  // the caption line of the own frame; the standard frame has none
    case net::KWK_WTAST:
      text_flush(session);
      key_request(session);
      return true;
    case net::KWK_WTEST:
      text_flush(session);
      key_request(session);
      return true;
    case net::KWK_WMELDE:
      handle_message_box(session, payload);
      return true;
    case net::KWK_WRETC:
      handle_workflow_result(session, payload);
      return true;
    case net::KWK_WKILLSAVE:
      handle_first_program(session, payload);
      return true;
    case net::KWK_BEEP:
      host_beep(session);
      return true;
    case net::KWK_STATUS:
      frame_status_text(session, payload);
      return true;
    case net::KWK_CREAKONTEXT:
      context_menu_create(session, payload);
      return true;
    case net::KWK_ACTKONTEXT:
      handle_actkontext(session, net::KWD_WIN, payload);
      return true;
    default:
      return false;
  }
}

}  // namespace kovw::session
