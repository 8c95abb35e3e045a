#pragma once
// The command dispatch of a program link: dt_command hands each received message to its
// handler in the command table (command_table.h), and the handlers answer with dt_send or
// dt_send_retc. Every handler runs on the program thread.

#include <cstdint>
#include <span>

#include "protocol/result.h"

namespace kovw::session {

struct ProgramSession;
struct HandlerContext;
class CommandTable;

// Service KWD_KOMM (0), program control: KINIT, KGETWINID, KRECONNECT, KCFLAG.
void register_program_control_commands(CommandTable& table);
// Service KWD_WIN (4), the program window: screen definition, output, keys, workflow result,
// first-program flag, beeps.
void register_program_window_commands(CommandTable& table);
// The screens of the other services: beeps of the window service KWD_DIGRA (1), list screens
// (KWD_LIST, 7) and menu program screens (KWD_DIMEN, 9).
void register_screen_commands(CommandTable& table);

// Sends a Retc answer: the first `count` (1 to 4) of the values as integer items under the
// request's service and type; logs "Send Retc %d/ %d - %d - %d - %d".
int dt_send_retc(int count, ProgramSession& session, int service, int type, std::int32_t first,
                 std::int32_t second = 0, std::int32_t third = 0, std::int32_t fourth = 0);

// The host's beep (KWK_BEEP of services 1 and 4), unless beeps are switched off.
void host_beep(HandlerContext& context);
void host_beep(ProgramSession& session);

// Logs a message that could not be decoded ("dt_command: ..."); nothing is answered.
void log_parse_failure(const protocol::ParseFailure& failure);

}  // namespace kovw::session
