#pragma once
// What a program's current screen does with the host's output and the user's input. The text
// screen implements it now (text_screen_port.h); dialogs and graphics windows bring their own
// implementations. The session holds the current screen, none before the first screen
// definition and while a screen kind has no implementation yet.

#include <cstdint>
#include <span>
#include <string>

#include "session/window_messages.h"

namespace kovw::session {

struct ProgramSession;

class Screen {
 public:
  virtual ~Screen() = default;

  // Output commands of the host (KWK_WDAT) or of the shell.
  virtual void output(ProgramSession& session, std::span<const std::uint8_t> bytes) = 0;
  // The user's input in the content window.
  virtual void key_press(ProgramSession& session, const to_program::KeyPress& key) = 0;
  virtual void click(ProgramSession& session, const to_program::MouseClick& click) = 0;
  virtual void wheel(ProgramSession& session, int steps) = 0;
  // The user closes the window (after the repeated-close rule): tells the host in the screen's
  // way; true when nobody could be told and the user must be asked instead.
  virtual bool close_request(ProgramSession& session) = 0;
  // The screen's contents as host text for a hardcopy: one line per row, each ended by CR LF.
  virtual std::string hardcopy_text(const ProgramSession& session) const = 0;
};

}  // namespace kovw::session
