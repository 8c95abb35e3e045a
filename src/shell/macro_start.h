#pragma once
// What the daemon's macro start needs of the desktop: another workstation process started with
// a macro's parameter file, and the information window that says which macro runs.

#include <functional>
#include <string>

class QWidget;

namespace kovw::shell {

// Starts this program with `parameter_file` as its only argument; `ended` gets the exit code
// when it ends (-1 when it crashed or could not run). Returns 0, or the system error when the
// file is missing. Never waits.
int start_macro_workstation(const std::string& parameter_file, std::function<void(int)> ended);

// Shows `text` in the non-modal information window (made on first use); an empty text closes
// it. Unattended runs only log the text.
void show_macro_info(QWidget* parent, const std::string& text);

}  // namespace kovw::shell
