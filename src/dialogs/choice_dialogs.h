#pragma once
// The date and path questions of host programs, asked from any thread: the dialog runs on the
// GUI thread, modal to the program's window only, and the calling thread waits for it.
// Unattended runs (KOVW_UNATTENDED=1) and processes without a QApplication show nothing and
// answer as cancelled.

#include <QString>
#include <functional>
#include <optional>

#include "dialogs/path_choice.h"
#include "protocol/program/host_requests.h"

class QWidget;

namespace kovw::dialogs {

// `owner` is called on the GUI thread and names the window the dialog is modal to (null:
// none).
using DialogOwner = std::function<QWidget*()>;

// The date the user picks for `request`, titled `title`; std::nullopt when the dialog could not
// be shown.
std::optional<protocol::DateAnswer> ask_date(const protocol::KGetDate& request,
                                             const QString& title, const DialogOwner& owner);

struct PathOutcome {
  bool shown = false;   // false: the dialog could not be shown
  bool chosen = false;  // false: cancelled
  QString path;         // the chosen file or folder
};
PathOutcome ask_path(const PathDialogSetup& setup, const DialogOwner& owner);

}  // namespace kovw::dialogs
