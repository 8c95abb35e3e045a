#pragma once
// The command dispatch of a program link: dt_command hands each received message to the
// handler of its service, and the handlers answer with dt_send or dt_send_retc. Every handler
// runs on the program thread; a handler returns false for a type it does not handle (yet),
// which dt_command logs.

#include <cstdint>
#include <span>

#include "protocol/result.h"

namespace kovw::session {

struct ProgramSession;

// Service KWD_KOMM (0): program control, local files and programs, clipboard and choosers.
bool program_control_command(ProgramSession& session, int type,
                             std::span<const std::uint8_t> payload);
// Service KWD_DIGRA (1): the window service (graphics windows, beeps, key bar items).
bool window_service_command(ProgramSession& session, int type,
                            std::span<const std::uint8_t> payload);
// Service KWD_WIN (4): the program window (screen definition, title, message boxes, keys).
bool program_window_command(ProgramSession& session, int type,
                            std::span<const std::uint8_t> payload);
// Service KWD_LIST (7) and KWD_DIMEN (9): list and menu program screens.
bool list_command(ProgramSession& session, int type, std::span<const std::uint8_t> payload);
bool menu_program_command(ProgramSession& session, int type, std::span<const std::uint8_t> payload);

// Sends a Retc answer: the first `count` (1 to 4) of the values as integer items under the
// request's service and type; logs "Send Retc %d/ %d - %d - %d - %d".
int dt_send_retc(int count, ProgramSession& session, int service, int type, std::int32_t first,
                 std::int32_t second = 0, std::int32_t third = 0, std::int32_t fourth = 0);

// The host's beep (KWK_BEEP of services 1 and 4), unless beeps are switched off.
void host_beep(ProgramSession& session);

// Logs a message that could not be decoded ("dt_command: ..."); nothing is answered.
void log_parse_failure(const protocol::ParseFailure& failure);

}  // namespace kovw::session
