#include "shell/macro_start.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <cerrno>
#include <filesystem>

#include "foundation/log.h"
#include "foundation/show_message.h"
#include "shell/macro_state.h"

namespace kovw::shell {

namespace {

QPointer<QMessageBox> g_info;

}  // namespace

int start_macro_workstation(const std::string& parameter_file, std::function<void(int)> ended) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(parameter_file, ec)) return ENOENT;
  auto* process = new QProcess(QCoreApplication::instance());
  process->setProgram(QCoreApplication::applicationFilePath());
  process->setArguments({QString::fromStdString(parameter_file)});
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  auto done = std::make_shared<bool>(false);
  auto finish = [process, ended, done](int code) {
    if (*done) return;
    *done = true;
    process->deleteLater();
    if (ended) ended(code);
  };
  QObject::connect(process, &QProcess::finished, process,
                   [finish](int code, QProcess::ExitStatus status) {
                     finish(status == QProcess::NormalExit ? code : -1);
                   });
  QObject::connect(process, &QProcess::errorOccurred, process,
                   [finish, parameter_file](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;
                     foundation::log_printf("Makro: Start mit %s fehlgeschlagen",
                                            parameter_file.c_str());
                     finish(-1);
                   });
  foundation::log_printf("Makro: Start %s", parameter_file.c_str());
  process->start();
  return 0;
}

void show_macro_info(QWidget* parent, const std::string& text) {
  if (text.empty()) {
    if (g_info) g_info->close();
    return;
  }
  foundation::log_printf("%s", text.c_str());
  if (foundation::unattended()) return;
  if (!g_info) {
    g_info = new QMessageBox(QMessageBox::Information, macro_texts::kCaption, QString(),
                             QMessageBox::NoButton, parent);
    g_info->setAttribute(Qt::WA_DeleteOnClose);
    g_info->setModal(false);
  }
  g_info->setText(QString::fromStdString(text));
  g_info->show();
}

}  // namespace kovw::shell
