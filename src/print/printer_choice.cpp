#include "print/printer_choice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>

#include "shell/pdf_printer.h"

namespace kovw::print {

QStringList printer_names() {
  QStringList names = QPrinterInfo::availablePrinterNames();
  bool has_pdf = false;
  for (const QString& name : names) has_pdf = has_pdf || shell::is_pdf_printer_name(name);
  if (!has_pdf) names.append(QString::fromLatin1(shell::kPdfPrinterName));
  return names;
}

QString default_printer_name() {
  const QString name = QPrinterInfo::defaultPrinterName();
  return name.isEmpty() ? QString::fromLatin1(shell::kPdfPrinterName) : name;
}

QString find_printer(const QString& wanted, const QStringList& names) {
  const QString name = wanted.trimmed();
  if (name.isEmpty()) return {};
  for (const QString& candidate : names)
    if (candidate == name) return candidate;
  for (const QString& candidate : names)
    if (candidate.compare(name, Qt::CaseInsensitive) == 0) return candidate;
  return {};
}

QString raw_printer_name(const QString& name) {
  if (!name.startsWith(QLatin1String("lp "))) return name;
  const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  for (qsizetype i = 1; i < words.size(); ++i) {
    if (words[i] == QLatin1String("-d")) return i + 1 < words.size() ? words[i + 1] : QString();
    if (words[i].startsWith(QLatin1String("-d"))) return words[i].mid(2);
  }
  return name;
}

QString job_file_path(const QString& folder, const QString& origin, const QDateTime& when,
                      const QString& extension) {
  QString base;
  for (const QChar c : origin) base += (c.isLetterOrNumber() ? c : QLatin1Char('_'));
  if (base.size() > 64) base.truncate(64);
  if (base.isEmpty()) base = QStringLiteral("job");
  base += when.toString(QStringLiteral("_yyyyMMdd_HHmmss"));
  const QDir dir(folder);
  // The temporary name is taken at once, so that two jobs of one origin in the same second
  // cannot choose the same file.
  for (int n = 1; n < 10000; ++n) {
    const QString path =
        dir.filePath(base + (n > 1 ? QLatin1Char('-') + QString::number(n) : QString()) +
                     QLatin1Char('.') + extension);
    if (QFileInfo::exists(path)) continue;
    QFile part(path + QStringLiteral(".part"));
    if (part.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return path;
  }
  return {};
}

}  // namespace kovw::print
