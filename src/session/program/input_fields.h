#pragma once
// Input fields of text screens (KWK_WDIAC): the host asks for one field at a time; the program
// thread edits it with the user's keys (dialogs::FieldEditor), the view draws it over the
// screen's cells, and when the user leaves it the reply goes back with the exit key, the
// cursor, the click and the contents. Keys typed before the field appeared and still held in
// the key buffer are replayed into it first, in order, repeats included.

#include <array>
#include <cstdint>

namespace kovw::session {

class CommandTable;
struct ProgramSession;

void register_input_field_commands(CommandTable& table);

// Whether a field takes the keys now.
bool field_active(const ProgramSession& session);
// A key code of the key path (a character below 0x100, 0x0100 + a host key) to the active
// field, `repeat` times; what comes after the field was left goes to the key buffer.
void field_code(ProgramSession& session, std::uint16_t code, int repeat);
// A typed character (wide) to the active field.
void field_character(ProgramSession& session, char32_t character, int repeat);
// A click (button code, column, row) while a field is active.
void field_click(ProgramSession& session, const std::array<std::uint16_t, 3>& values);
// Hides the field without a reply (a new screen).
void field_drop(ProgramSession& session);

}  // namespace kovw::session
