#include "dialogs/view/path_dialog.h"

#include <QFileDialog>
#include <atomic>

#include "dialogs/path_choice.h"
#include "foundation/message_table.h"

namespace kovw::dialogs {

namespace {

std::atomic<bool> g_native{true};

}  // namespace

void set_native_path_dialogs(bool native) {
  g_native = native;
}

bool native_path_dialogs() {
  return g_native;
}

QFileDialog* make_path_dialog(const PathDialogSetup& setup, QWidget* owner) {
  auto* dialog = new QFileDialog(owner);
  dialog->setObjectName(QStringLiteral("pathDialog"));
  dialog->setOption(QFileDialog::DontUseNativeDialog, !native_path_dialogs());
  QString title = setup.title;
  switch (setup.kind) {
    case kPathSaveFile:
      dialog->setAcceptMode(QFileDialog::AcceptSave);
      dialog->setFileMode(QFileDialog::AnyFile);
      break;
    case kPathFolder:
      dialog->setAcceptMode(QFileDialog::AcceptOpen);
      dialog->setFileMode(QFileDialog::Directory);
      dialog->setOption(QFileDialog::ShowDirsOnly, true);
      if (title.isEmpty()) title = QString::fromUtf8(foundation::message_text(kFolderTitleMessage));
      break;
    default:
      dialog->setAcceptMode(QFileDialog::AcceptOpen);
      dialog->setFileMode(QFileDialog::ExistingFile);
      break;
  }
  dialog->setWindowTitle(title);
  if (!setup.folder.isEmpty()) dialog->setDirectory(setup.folder);
  if (setup.kind != kPathFolder) {
    if (!setup.name_filters.isEmpty()) dialog->setNameFilters(setup.name_filters);
    if (!setup.file.isEmpty()) dialog->selectFile(setup.file);
  }
  return dialog;
}

}  // namespace kovw::dialogs
