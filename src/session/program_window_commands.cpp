// Service KWD_WIN, the program window: screen definitions, message boxes and beeps.

#include "foundation/log.h"
#include "net/link_names.h"
#include "session/host_message_box.h"
#include "session/program_dispatch.h"
#include "session/program_session.h"
#include "session/screen_initialisation.h"

namespace kovw::session {

bool program_window_command(ProgramSession& session, int type,
                            std::span<const std::uint8_t> payload) {
  switch (type) {
    case net::KWK_WINIT:
      initialise_screen(session, payload);
      return true;
    case net::KWK_WMELDE:
      handle_message_box(session, payload);
      return true;
    case net::KWK_BEEP:
      host_beep(session);
      return true;
    default:
      return false;
  }
}

}  // namespace kovw::session
