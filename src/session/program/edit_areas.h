#pragma once
// Multi-line edit areas of text screens (KWK_WEDIT): the request is shown as an edit area over
// the screen's cells; the view edits the text and reports the key that left it; the reply
// carries that key, whether the text changed, and the text with CR LF line ends.

namespace kovw::session {

class CommandTable;
struct ProgramSession;

namespace to_program {
struct EditLeft;
}

void register_edit_area_commands(CommandTable& table);

// The view's report that the area was left: the reply goes to the host.
void edit_area_left(ProgramSession& session, const to_program::EditLeft& left);

}  // namespace kovw::session
