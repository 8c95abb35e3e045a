#pragma once
// A program session's part of a macro: while a macro records, every answer the session sends
// its host program is written to the program's macro file with the time since the answer
// before; while a macro plays, the session answers from that file instead of waiting for the
// user, through the same send path, keeping the waits. All of it runs on the program thread.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace kovw::session {

struct ProgramSession;
class MacroSession;

// Opens the program's macro file when a macro records or plays: the host program introduced
// itself, so its name is known. A file that cannot be opened or read is reported (caption
// "KOVW Makro") and the macro is off for this program.
void macro_session_start(ProgramSession& session);

// Every request of the host program passes here before its handler. True when the macro
// answers it (the handler is not run): a date, file-name or colour choice, a dialog or a
// graphics input wait during playback. Requests whose screens stay visible (edit areas, field
// dialogs) run their handler and are answered from the macro as well.
bool macro_takes_request(ProgramSession& session, int service, int type,
                         std::span<const std::uint8_t> payload);

// Every message sent to the host program passes here after it went: during a recording the
// user's answers among them are written to the macro file.
void macro_note_sent(ProgramSession& session, int service, int type,
                     std::span<const std::uint8_t> payload);

// Writes a comment record during a recording.
void macro_write_comment(ProgramSession& session, std::string_view title, std::string_view text);

// True while this program records or plays.
bool macro_recording(const ProgramSession& session);
bool macro_playing(const ProgramSession& session);

// The sequence number of the next session of `program` in this process (1, 2, ...): the
// number in its macro file's name.
int next_macro_sequence(std::string_view program);

namespace testing {
// Starts the sequence numbers again at 1, as a new process does.
void reset_macro_sequences();
}  // namespace testing

struct MacroSessionDeleter {
  void operator()(MacroSession* macro) const;
};
using MacroSessionPtr = std::unique_ptr<MacroSession, MacroSessionDeleter>;

}  // namespace kovw::session
