#pragma once
// Dialogs that a program thread waits for, shown on the GUI thread (through gui_call): whether
// one can be shown at all, and running one modal to its owner only.

class QDialog;

namespace kovw::platform {

// False when the workstation runs unattended or without a widget application: the caller then
// answers as if the dialog was cancelled.
bool dialogs_possible();

// On the GUI thread: shows `dialog` modal to its owner only (other programs and the shell go
// on; without an owner it blocks nothing but its caller) and returns when it is finished or
// gone with its owner.
void run_owned_modal(QDialog* dialog);

}  // namespace kovw::platform
