#pragma once
// Requests of the graphics service whose host waits for the answer and that need no graphics
// window of their own: the input abort (KWK_GABORT), the graphics cursor (KWK_CURSOR) and the
// calls of the video and speech helpers (KWK_GVIDEO, KWK_GSPEECH).
//
// The helpers are separate programs of another platform; none is installed with this
// workstation, so a call answers as a helper that cannot be started does: status 2 and the
// "Error ... starting" text. The host gets its answer and goes on without video or speech.

#include <cstdint>
#include <string>
#include <vector>

namespace kovw::session {

class CommandTable;
struct ProgramSession;

// The answer record of a helper call of `type` (KWK_GVIDEO or KWK_GSPEECH): its size, the
// status at byte 0 and the zero-terminated text at its place (byte 1 for video, 2 for
// speech), cut to fit.
std::vector<std::uint8_t> helper_answer_record(int type, int status, const std::string& text);

// The answer to a helper call that cannot be started: status 2 and "VIDEO: Error 2 starting
// <helper path> <data directory>" (or "SPEAK: ...").
std::vector<std::uint8_t> helper_start_failure(int type);

// KWK_CURSOR of the graphics service: 0 normal cursor (state 2), 1 busy cursor (state 1),
// 2 state 2 only; returns the previous state, which is the answer.
int set_graphics_cursor(ProgramSession& session, int value);

void register_graphics_request_commands(CommandTable& table);

}  // namespace kovw::session
