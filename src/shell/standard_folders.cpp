#include "shell/standard_folders.h"

#include <QStringList>

#include "foundation/windows_folders.h"
#include "shell/ui_text.h"

namespace kovw::shell {

QString standard_folders_text() {
  QStringList lines;
  for (const foundation::WindowsFolderRow& row : foundation::windows_folder_table()) {
    const auto path = foundation::folder_path(row.folder);
    const QString place = path ? QString::fromLocal8Bit(path->c_str())
                               : ui_text("(hier ohne Gegenstück)", "(no counterpart here)");
    lines << QStringLiteral("%1 (0x%2)")
                     .arg(QString::fromLatin1(row.name.data(),
                                              static_cast<qsizetype>(row.name.size())))
                     .arg(row.key, 2, 16, QLatin1Char('0'))
                     .leftJustified(28, QLatin1Char(' ')) +
                 place;
  }
  return lines.join(QLatin1Char('\n'));
}

QString standard_folders_title() {
  return ui_text("Windows Standard-Verzeichnisse", "Windows Standard-Verzeichnisse");
}

}  // namespace kovw::shell
