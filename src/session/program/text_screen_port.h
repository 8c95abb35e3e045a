#pragma once
// The text screen as the session's current screen: output goes to the text screen model,
// keys, clicks and wheel turns become key codes for the host, and a close request sends the
// close key.

#include "session/program/screen.h"

namespace kovw::session {

class TextScreenPort : public Screen {
 public:
  void output(ProgramSession& session, std::span<const std::uint8_t> bytes) override;
  void key_press(ProgramSession& session, const to_program::KeyPress& key) override;
  void click(ProgramSession& session, const to_program::MouseClick& click) override;
  void wheel(ProgramSession& session, int steps) override;
  bool close_request(ProgramSession& session) override;
  std::string hardcopy_text(const ProgramSession& session) const override;
};

}  // namespace kovw::session
