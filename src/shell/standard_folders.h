#pragma once
// The list of the standard folders that logical paths name (WIN:DESKTOP, ...) with the
// places they stand for here, a diagnostic aid of the main window's menu.

#include <QString>

namespace kovw::shell {

// One line per folder: its name, its key in hexadecimal and where it lies (or that it has
// no counterpart here).
QString standard_folders_text();
// The dialog title: "Windows Standard-Verzeichnisse".
QString standard_folders_title();

}  // namespace kovw::shell
