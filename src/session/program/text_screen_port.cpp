#include "session/program/text_screen_port.h"

#include "session/program/key_input.h"
#include "session/program/program_session.h"
#include "session/program/text_cells.h"
#include "session/program/text_output.h"

namespace kovw::session {

void TextScreenPort::output(ProgramSession& session, std::span<const std::uint8_t> bytes) {
  text_output(session, bytes);
}

void TextScreenPort::key_press(ProgramSession& session, const to_program::KeyPress& key) {
  handle_key_press(session, key);
}

void TextScreenPort::click(ProgramSession& session, const to_program::MouseClick& click) {
  handle_mouse_click(session, click);
}

void TextScreenPort::wheel(ProgramSession& session, int steps) {
  handle_mouse_wheel(session, steps);
}

bool TextScreenPort::close_request(ProgramSession& session) {
  return text_close_request(session);
}

std::string TextScreenPort::hardcopy_text(const ProgramSession& session) const {
  std::string text;
  if (!session.text_screen) return text;
  const TextScreen& screen = *session.text_screen;
  for (int row = 0; row < screen.rows(); ++row) {
    for (const std::uint32_t cell : screen.row_cells(row))
      text.push_back(static_cast<char>(cell_character(cell)));
    text += "\r\n";
  }
  return text;
}

}  // namespace kovw::session
