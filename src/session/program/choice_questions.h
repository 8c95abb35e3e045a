#pragma once
// KWK_KGETDATE and KWK_KGETFNAME: the host asks the user for a date, or for a file or folder on
// the workstation. The dialog is modal to the program's window and the program thread waits
// for the answer, as the host does.

namespace kovw::session {

class CommandTable;

// Registers KWK_KGETDATE and KWK_KGETFNAME of service KWD_KOMM.
void register_choice_question_commands(CommandTable& table);

}  // namespace kovw::session
