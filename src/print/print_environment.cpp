#include "print/print_environment.h"

#include <QDir>
#include <QSysInfo>

#include "foundation/show_message.h"
#include "foundation/workflow_state.h"
#include "shell/directories.h"
#include "shell/pdf_printer.h"
#include "shell/settings_store.h"
#include "shell/startup.h"

namespace kovw::print {

PrintEnvironment current_print_environment() {
  const shell::ShellState& state = shell::shell_state();
  PrintEnvironment env;
  const std::string data =
      state.directories.data.empty() ? shell::temporary_directory() : state.directories.data;
  env.cache_directory =
      QDir(QString::fromStdString(data)).filePath(QStringLiteral("cache")).toStdString();
  env.temporary_directory =
      state.directories.temp.empty() ? shell::temporary_directory() : state.directories.temp;
  env.pdf_folder = shell::pdf_folder(shell::settings().pdf_folder.str(), data);
  env.print_bold = shell::settings().print_bold != 0;
  env.version_word = state.version_word;
  env.computer_name = QSysInfo::machineHostName().toStdString();
  env.dialogs_allowed = !foundation::unattended() && !foundation::workflow_mode();
  return env;
}

}  // namespace kovw::print
