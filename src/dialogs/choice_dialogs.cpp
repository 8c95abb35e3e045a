#include "dialogs/choice_dialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QPointer>

#include "dialogs/view/date_dialog.h"
#include "dialogs/view/path_dialog.h"
#include "foundation/show_message.h"
#include "platform/gui_call.h"

namespace kovw::dialogs {

namespace {

bool dialogs_possible() {
  return !foundation::unattended() && qobject_cast<QApplication*>(QCoreApplication::instance());
}

// On the GUI thread: shows `dialog` modal to its owner only (other programs and the shell go
// on) and returns when it is finished or gone with its owner.
void run_modal(QDialog* dialog) {
  QPointer<QDialog> guard(dialog);
  dialog->setWindowModality(dialog->parentWidget() != nullptr ? Qt::WindowModal
                                                              : Qt::ApplicationModal);
  QEventLoop loop;
  QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  loop.exec();
}

}  // namespace

std::optional<protocol::DateAnswer> ask_date(const protocol::KGetDate& request,
                                             const QString& title, const DialogOwner& owner) {
  if (!dialogs_possible()) {
    protocol::DateAnswer cancelled{request.year, request.month, request.day,
                                   protocol::kChoiceCancelled};
    return cancelled;
  }
  return platform::gui_call([&]() -> std::optional<protocol::DateAnswer> {
           QPointer<DateDialog> dialog = new DateDialog(request, title, owner ? owner() : nullptr);
           run_modal(dialog);
           if (!dialog) {  // gone with its owner: as cancelled
             return protocol::DateAnswer{request.year, request.month, request.day,
                                         protocol::kChoiceCancelled};
           }
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
           run_modal(dialog);
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
