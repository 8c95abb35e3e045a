#include "platform/owned_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>

#include "foundation/show_message.h"

namespace kovw::platform {

bool dialogs_possible() {
  return !foundation::unattended() && qobject_cast<QApplication*>(QCoreApplication::instance());
}

void run_owned_modal(QDialog* dialog) {
  dialog->setWindowModality(dialog->parentWidget() != nullptr ? Qt::WindowModal : Qt::NonModal);
  QEventLoop loop;
  QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);  // with its owner
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  loop.exec();
}

}  // namespace kovw::platform
