#pragma once
// The Qt message box behind show_message: a task-modal QMessageBox in the foreground, shown
// on the GUI thread whichever thread asks.

#include "foundation/show_message.h"

namespace kovw::platform {

// Makes the Qt box the presenter of show_message. Call once on the GUI thread after the
// QApplication exists; calling it again changes nothing.
void install_message_box_presenter();
// Stops presenting boxes (show_message then logs its texts); call when no box is asked for any
// more (at the end of the run).
void remove_message_box_presenter();

// Shows one box on the calling thread, which must be the GUI thread, and returns the answer
// of the button chosen. Closing the box answers as its Cancel button, or OK in an OK box.
int exec_message_box(const foundation::MessageBoxRequest& request);

}  // namespace kovw::platform
