#include "print/raw_print.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cerrno>

#ifdef KOVW_HAVE_CUPS
#include <cups/cups.h>
#endif

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "print/print_access.h"
#include "print/printer_choice.h"
#include "shell/pdf_printer.h"

namespace kovw::print {

namespace {

constexpr qint64 kBlock = 4096;
constexpr const char* kRawDocumentName = "Halvren Software Raw Document";

int file_error() {
  return foundation::kErrnoErrorBase + (errno != 0 ? errno : EIO);
}

RawPrintResult keep_as_file(const QString& path, const QString& origin,
                            const PrintEnvironment& env) {
  RawPrintResult result;
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return {40324, file_error(), path};
  const bool is_pdf = in.peek(5) == "%PDF-";
  if (!QDir().mkpath(env.pdf_folder)) return {40311, file_error(), env.pdf_folder};
  const QString target = job_file_path(env.pdf_folder, origin, QDateTime::currentDateTime(),
                                       is_pdf ? QStringLiteral("pdf") : QStringLiteral("prn"));
  if (target.isEmpty()) return {40311, file_error(), env.pdf_folder};
  const QString part = target + QStringLiteral(".part");
  QFile out(part);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {40284, file_error(), target};
  char block[kBlock];
  for (;;) {
    const qint64 n = in.read(block, kBlock);
    if (n < 0) {
      out.remove();
      return {40324, file_error(), path};
    }
    if (n == 0) break;
    if (out.write(block, n) != n) {
      out.remove();
      return {40284, file_error(), target};
    }
  }
  out.close();
  QFile::remove(target);
  if (!QFile::rename(part, target)) {
    QFile::remove(part);
    return {40284, file_error(), target};
  }
  result.printer = target;
  return result;
}

RawPrintResult send_to_printer(const QString& name, const QString& path) {
#ifdef KOVW_HAVE_CUPS
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return {40324, file_error(), name};
  const QByteArray printer = name.toUtf8();
  const int job =
      cupsCreateJob(CUPS_HTTP_DEFAULT, printer.constData(), kRawDocumentName, 0, nullptr);
  if (job == 0) return {40311, static_cast<int>(cupsLastError()), name};
  if (cupsStartDocument(CUPS_HTTP_DEFAULT, printer.constData(), job, kRawDocumentName,
                        CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
    const int error = static_cast<int>(cupsLastError());
    cupsCancelJob(printer.constData(), job);
    return {40284, error, name};
  }
  char block[kBlock];
  for (;;) {
    const qint64 n = in.read(block, kBlock);
    if (n < 0) {
      const int error = file_error();
      cupsCancelJob(printer.constData(), job);
      return {40324, error, name};
    }
    if (n == 0) break;
    if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, block, static_cast<size_t>(n)) !=
        HTTP_STATUS_CONTINUE) {
      const int error = static_cast<int>(cupsLastError());
      cupsCancelJob(printer.constData(), job);
      return {40284, error, name};
    }
  }
  if (cupsFinishDocument(CUPS_HTTP_DEFAULT, printer.constData()) != IPP_STATUS_OK)
    return {40284, static_cast<int>(cupsLastError()), name};
  return {0, 0, name};
#else
  (void)path;
  foundation::log_printf("print_raw_file: no system print service for raw data (%s)",
                         name.toUtf8().constData());
  return {40311, 0, name};
#endif
}

}  // namespace

RawPrintResult print_raw_file(const QString& printer, const QString& path, const QString& origin,
                              const PrintEnvironment& env) {
  const QString name = resolve_printer_name(raw_printer_name(printer));
  if (name.isEmpty()) return {40311, 0, printer};
  if (shell::is_pdf_printer_name(name)) return keep_as_file(path, origin, env);
  return send_to_printer(name, path);
}

}  // namespace kovw::print
