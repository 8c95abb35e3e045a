#pragma once
// Host dialogs of a program window (KWK_WDIALOG of the window service, KWK_GDIALOG of the
// graphics service, the same payload): the program thread keeps the dialog state
// (dialogs::DialogState), tells the view what to show, and answers the host; the view reports
// what the user does.

namespace kovw::dialogs {
struct DialogAction;
}

namespace kovw::session {

class CommandTable;
struct ProgramSession;

void register_host_dialog_commands(CommandTable& table);

// A user action in the shown dialog.
void host_dialog_action(ProgramSession& session, const dialogs::DialogAction& action);

}  // namespace kovw::session
