#include "shell/pdf_printer.h"

#include <QDir>

#include "foundation/path_synonyms.h"

namespace kovw::shell {

bool is_pdf_printer_name(const QString& name) {
  return name.trimmed().compare(QLatin1String(kPdfPrinterName), Qt::CaseInsensitive) == 0;
}

QString pdf_folder(const std::string& setting, const std::string& data_directory) {
  const QDir data(QString::fromStdString(data_directory));
  std::string text = setting;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.empty()) return data.filePath(QStringLiteral("print"));
  const std::string resolved = foundation::resolve_path(text).value_or(text);
  const QString path = QString::fromStdString(resolved);
  return QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : data.filePath(path);
}

}  // namespace kovw::shell
