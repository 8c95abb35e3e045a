#include "shell/update_offer.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>
#include <fstream>

#include "foundation/log.h"
#include "foundation/show_message.h"
#include "shell/directories.h"
#include "shell/startup.h"
#include "shell/text_dialog.h"
#include "shell/ui_text.h"

namespace kovw::shell {

namespace fs = std::filesystem;

namespace {

fs::path data_directory() {
  const std::string data = shell_state().directories.data;
  return data.empty() ? fs::path(temporary_directory()) : fs::path(data);
}

QString change_text(const std::vector<protocol::UpdateChange>& changes) {
  QString text;
  for (const protocol::UpdateChange& change : changes) {
    text += QString::fromStdString(change.version_text) + u'\t' +
            QString::fromStdString(change.description) + u'\n';
  }
  return text;
}

void say(QWidget* owner, int number, const std::string& a = {}, const std::string& b = {},
         int error = 0) {
  const int flags = foundation::kMsgUtf8;
  switch (number) {
    case 10063:
      foundation::show_message_number(owner, flags, 0, "Update", number, a.c_str(), b.c_str(),
                                      error);
      break;
    case 40299:
      foundation::show_message_number(owner, flags, 0, "Update", number, error, a.c_str());
      break;
    case 10064:
    case 10060:
    case 10061:
      foundation::show_message_number(owner, flags, 0, "Update", number, a.c_str(), error);
      break;
    default:
      foundation::show_message_number(owner, flags, 0, "Update", number);
      break;
  }
}

}  // namespace

UpdateFiles this_program_update_files() {
  const QString path = QCoreApplication::applicationFilePath();
  return update_files(fs::path(path.toStdString()), data_directory());
}

bool ask_for_update(QWidget* owner, int running_version, int offered_version,
                    const std::vector<protocol::UpdateChange>& changes, bool encrypted) {
  QDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("update_offer"));
  dialog.setWindowTitle(QStringLiteral("Update"));
  auto* layout = new QVBoxLayout(&dialog);
  QString text =
      ui_text("Eine neue Version von KOVW ist verfügbar.", "A new version of KOVW is available.") +
      QStringLiteral("\n\n") + ui_text("Laufende Version: ", "Running version: ") +
      QString::fromStdString(version_text(running_version)) + u'\n' +
      ui_text("Neue Version: ", "New version: ") +
      QString::fromStdString(version_text(offered_version));
  if (!encrypted) {
    text += QStringLiteral("\n\n") +
            ui_text(
                "Achtung: die Verbindung zum Server ist nicht verschlüsselt. Das "
                "Aktualisierungsprogramm kommt ungeschützt über das Netz.",
                "Caution: the link to the server is not encrypted. The update program comes "
                "over the network unprotected.");
  }
  auto* label = new QLabel(text, &dialog);
  label->setObjectName(QStringLiteral("offer_text"));
  layout->addWidget(label);
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* update =
      buttons->addButton(ui_text("Aktualisieren", "Update"), QDialogButtonBox::AcceptRole);
  update->setObjectName(QStringLiteral("update"));
  QPushButton* show =
      buttons->addButton(ui_text("Änderungen", "Changes"), QDialogButtonBox::ActionRole);
  show->setObjectName(QStringLiteral("changes"));
  show->setEnabled(!changes.empty());
  buttons->addButton(ui_text("Nicht jetzt", "Not now"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("later"));
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(show, &QPushButton::clicked, &dialog, [&dialog, &changes] {
    show_text_dialog(&dialog, QString::fromUtf8(foundation::message_text(40303)),
                     change_text(changes));
  });
  if (foundation::unattended()) {
    // Unattended, an update is taken only where the environment asks for it.
    const bool accept = qEnvironmentVariable(kAcceptUpdateVariable) == QStringLiteral("1");
    foundation::log_printf("Update auf %s angeboten; unbeaufsichtigt %s",
                           version_text(offered_version).c_str(),
                           accept ? "angenommen" : "nicht angenommen");
    return accept;
  }
  return dialog.exec() == QDialog::Accepted;
}

int write_app_file(const UpdateFiles& files) {
  std::error_code code;
  fs::create_directories(files.app_file.parent_path(), code);
  std::ofstream out(files.app_file, std::ios::binary | std::ios::trunc);
  out << files.executable.string();
  out.close();
  return out ? 0 : (errno ? errno : EIO);
}

int run_downloaded_updater(QWidget* owner, const UpdateFiles& files, const fs::path& data_directory,
                           std::uint64_t offered_size) {
  const std::string problem = updater_problem(files.updater, offered_size);
  if (!problem.empty()) {
    // The link carries no checksum: a file that cannot be the updater is not run.
    std::error_code code;
    fs::remove(files.updater, code);
    foundation::log_printf("Update: %s abgelehnt: %s", files.updater.c_str(), problem.c_str());
    say(owner, 10064,
        (foundation::german() ? "Das Aktualisierungsprogramm ist unbrauchbar ("
                              : "The update program is unusable (") +
            problem + ")");
    return 0;
  }
  UpdateFileOps ops;
  const auto start = [&] {
    const QStringList arguments = {
        QStringLiteral("-m") + QString::fromStdString(data_directory.string()),
        QStringLiteral("-p") + QString::fromStdString(files.updater_log.string()),
        QStringLiteral("-batch"), QStringLiteral("-debug")};
    foundation::log_printf("Update: %s", updater_command_line(files, data_directory).c_str());
    return QProcess::startDetached(QString::fromStdString(files.updater.string()), arguments)
               ? 0
               : ENOEXEC;
  };
  const UpdateStepResult result = start_updater(files, ops, start);
  if (!result) {
    say(owner, result.message, result.from, result.to, result.error);
    return -2;
  }
  return -1;
}

void install_update(QWidget* owner) {
  const UpdateFiles files = this_program_update_files();
  std::error_code code;
  const auto size = fs::file_size(files.new_executable, code);
  const std::string problem = code ? "missing" : updater_problem(files.new_executable, size);
  if (!problem.empty()) {
    foundation::log_printf("Update: %s unbrauchbar: %s", files.new_executable.c_str(),
                           problem.c_str());
    say(owner, 10063, files.new_executable.string(), files.executable.string(), ENOEXEC);
  } else {
    UpdateFileOps ops;
    const UpdateStepResult result = install_new_version(files, ops);
    if (result) {
      say(owner, 40297);
    } else {
      say(owner, result.message, result.from, result.to, result.error);
    }
  }
  foundation::log_printf("PostQuitMessage 1");
}

bool restore_previous_version(QWidget* owner) {
  if (foundation::show_message_number(owner, foundation::kMsgYesNo | foundation::kMsgUtf8, 0,
                                      "KOV Workstation", 40295) != foundation::kAnswerYes) {
    return false;
  }
  const UpdateFiles files = this_program_update_files();
  UpdateFileOps ops;
  const UpdateStepResult result = restore_previous(files, ops);
  if (!result) {
    say(owner, result.message, result.from, result.to, result.error);
    return false;
  }
  say(owner, 40298);
  return true;
}

}  // namespace kovw::shell
