#pragma once
// The user's input on a text screen as the program thread receives it from the view: key
// presses, mouse clicks on cells and wheel turns become key codes in the session's key buffer,
// which are then sent as far as the host waits for them.

#include <cstdint>
#include <vector>

#include "session/window_messages.h"

namespace kovw::session {

struct ProgramSession;

// The host function key that answers a message box with `positive` (F2) or any other answer
// (F3) in the session's layout, as the code sent to the host.
std::uint16_t message_box_answer_key(const ProgramSession& session, bool positive);

void handle_key_press(ProgramSession& session, const to_program::KeyPress& input);
// The host key codes of a key press by the same translation, without putting them anywhere
// (graphics windows hand them to their input): function keys, control characters and typed
// characters, in order.
std::vector<std::uint16_t> key_codes(ProgramSession& session, const to_program::KeyPress& input);
void handle_mouse_click(ProgramSession& session, const to_program::MouseClick& input);
void handle_mouse_wheel(ProgramSession& session, int steps);

}  // namespace kovw::session
