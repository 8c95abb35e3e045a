#pragma once
// The text screen on the program thread: made by a screen definition of a text screen, fed by
// the host's output streams (KWK_WDAT) and the shell's text output (WML_TEXT_OUTPUT). The
// changed rows go to the program's view at once when it is idle, and coalesced while it is
// busy with an earlier update (TextOutputPacer).

#include <cstdint>
#include <span>

namespace kovw::session {

struct ProgramSession;

// A new, blank text screen of columns x rows cells (replacing any screen) and its look.
void text_screen_create(ProgramSession& session, int columns, int rows, bool field_layout);
// The text screen goes (a screen of another kind replaces it).
void text_screen_release(ProgramSession& session);
// Processes an output stream; ignored while the screen is not a text screen.
void text_output(ProgramSession& session, std::span<const std::uint8_t> bytes);
// Hands the view whatever output it has not been given yet, at once (before the host reads
// keys, and before anything is sent to the host).
void text_flush(ProgramSession& session);
// The text screen's answer to the user closing the window: nothing while the wait cursor shows;
// otherwise the close key goes into the key buffer. True when the buffer is full and the user
// must be asked instead.
bool text_close_request(ProgramSession& session);

}  // namespace kovw::session
