#include "dialogs/choice_dialogs.h"

#include <QFileDialog>
#include <QPointer>

#include "dialogs/view/date_dialog.h"
#include "dialogs/view/path_dialog.h"
#include "platform/gui_call.h"
#include "platform/owned_dialog.h"

namespace kovw::dialogs {

using platform::dialogs_possible;
using platform::run_owned_modal;

std::optional<protocol::DateAnswer> ask_date(const protocol::KGetDate& request,
                                             const QString& title, const DialogOwner& owner) {
  if (!dialogs_possible()) return protocol::cancelled_date(request);
  return platform::gui_call([&]() -> std::optional<protocol::DateAnswer> {
           QPointer<DateDialog> dialog = new DateDialog(request, title, owner ? owner() : nullptr);
           run_owned_modal(dialog);
           if (!dialog) return protocol::cancelled_date(request);  // gone with its owner
           const protocol::DateAnswer answer = dialog->answer();
           delete dialog.data();
           return answer;
         })
      .value_or(std::nullopt);
}

PathOutcome ask_path(const PathDialogSetup& setup, const DialogOwner& owner) {
  if (!dialogs_possible()) return PathOutcome{true, false, {}};
  return platform::gui_call([&] {
           PathOutcome outcome;
           QPointer<QFileDialog> dialog = make_path_dialog(setup, owner ? owner() : nullptr);
           run_owned_modal(dialog);
           outcome.shown = true;
           if (dialog && dialog->result() == QDialog::Accepted &&
               !dialog->selectedFiles().isEmpty()) {
             outcome.chosen = true;
             outcome.path = dialog->selectedFiles().constFirst();
           }
           delete dialog.data();
           return outcome;
         })
      .value_or(PathOutcome{});
}

}  // namespace kovw::dialogs
