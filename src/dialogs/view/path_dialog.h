#pragma once
// The file dialog of a host's path selection: open an existing file, name a file to save, or
// choose a folder, with the host's file types, title and start place.

#include "dialogs/path_choice.h"

class QFileDialog;
class QWidget;

namespace kovw::dialogs {

// A dialog for `setup`, not yet shown; owned by `owner` (may be null).
QFileDialog* make_path_dialog(const PathDialogSetup& setup, QWidget* owner);

// The process-wide choice between the desktop's dialogs (the default) and the toolkit's own.
void set_native_path_dialogs(bool native);
bool native_path_dialogs();

}  // namespace kovw::dialogs
