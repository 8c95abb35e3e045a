#pragma once
// Starting a macro from the main window's menu: a dialog asks for the macro's name and, for a
// playback, the wait value ("+n" a fixed wait of n ms, "n" at most n ms; preset "1000"); then
// the macro's folder is prepared and the recording or playback starts.

#include <functional>
#include <optional>
#include <string>

#include "protocol/macro_file.h"

class QWidget;

namespace kovw::shell {

struct MacroChoice {
  std::string name;
  protocol::MacroWaitRule wait;
};

// Opens the dialog (window-modal, without waiting); `chosen` runs when the user confirms. The
// dialog accepts only a valid name and wait value and says what is wrong otherwise.
void open_macro_dialog(QWidget* parent, bool playback,
                       std::function<void(const MacroChoice&)> chosen);

// Prepares and starts the macro; a failure is shown (caption "KOVW Makro"). True when it runs.
bool start_macro(QWidget* parent, const MacroChoice& choice, bool playback,
                 const std::string& data_directory);

// At the end of the workstation: a recording is packed into "<root>/<name>.zip" and the user is
// told the outcome; any macro ends.
void end_macro(QWidget* parent);

}  // namespace kovw::shell
