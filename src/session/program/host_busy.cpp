#include "session/program/host_busy.h"

#include "net/link_names.h"
#include "protocol/program/window_service.h"
#include "session/program/command_table.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/window_messages.h"

namespace kovw::session {

void set_host_busy(ProgramSession& session, int value) {
  if (value != 0 && value != 1) return;
  const bool busy = value == 1;
  set_cursor_kind(session, busy ? kCursorWait : kCursorArrow);
  if (session.windows_created) post_to_view(*session.to_view, to_view::InputEnabled{!busy});
}

void register_host_busy_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_CURSOR, [](ProgramSession& session, const Command& command) {
    const auto value = protocol::parse_single_int(command.payload);
    if (!value) {
      log_parse_failure(value.error());
      return;
    }
    set_host_busy(session, *value);
  });
  // The menu program is ready for the user: the wait cursor of its KWK_DMINIT goes.
  table.add(net::KWD_DIMEN, net::KWK_DMBEREIT, [](ProgramSession& session, const Command&) {
    set_cursor_kind(session, kCursorArrow);
    session.screen_ready = true;
  });
}

}  // namespace kovw::session
