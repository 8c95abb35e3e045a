#include "print/print_access.h"

#include <QDateTime>
#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <cerrno>
#include <cstdint>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "foundation/verbose.h"
#include "print/print_dialog.h"
#include "print/print_errors.h"
#include "print/printer_choice.h"
#include "print/printer_defaults.h"
#include "shell/pdf_printer.h"

namespace kovw::print {

namespace {

bool logging() {
  return foundation::verbose(foundation::kVerbosePrinting);
}

void log_device(const OpenedPrinter& opened) {
  if (!logging()) return;
  foundation::log_printf(
      "dp_access: CreateDC, Result %lx",
      static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(opened.target.get())));
  foundation::log_printf("dp_access: Result %d", 0);
}

OpenedPrinter failure(int message, int system_error, const QString& name) {
  OpenedPrinter opened;
  opened.message = message;
  opened.system_error = system_error;
  opened.name = name;
  opened.location = kLocationOpenPrinter;
  if (logging()) foundation::log_printf("dp_access: Result %d", message);
  return opened;
}

OpenedPrinter open_pdf(const QString& origin, const QString& document,
                       const PrintEnvironment& env) {
  if (!QDir().mkpath(env.pdf_folder))
    return failure(40311, foundation::kErrnoErrorBase + (errno ? errno : EACCES), env.pdf_folder);
  const QString path =
      job_file_path(env.pdf_folder, origin, QDateTime::currentDateTime(), QStringLiteral("pdf"));
  if (path.isEmpty())
    return failure(40311, foundation::kErrnoErrorBase + (errno ? errno : EEXIST), env.pdf_folder);
  OpenedPrinter opened;
  opened.target = std::make_unique<PdfPageTarget>(path, document);
  opened.name = path;
  opened.driver = QString::fromLatin1(shell::kPdfPrinterName);
  log_device(opened);
  return opened;
}

OpenedPrinter open_printer(std::unique_ptr<PrinterPageTarget> target, const QString& name) {
  if (!target->valid()) return failure(40314, 0, name);
  OpenedPrinter opened;
  opened.name = target->name();
  opened.driver = QPrinterInfo::printerInfo(opened.name).makeAndModel();
  opened.target = std::move(target);
  log_device(opened);
  return opened;
}

}  // namespace

QString resolve_printer_name(const QString& printer) {
  if (printer.trimmed().compare(QLatin1String("standard"), Qt::CaseInsensitive) == 0)
    return default_printer_name();
  return find_printer(printer, printer_names());
}

OpenedPrinter dp_access(const QString& printer, const QString& origin, const QString& document,
                        const PrintEnvironment& env, const std::atomic<bool>* cancel) {
  if (logging()) foundation::log_printf("dp_access: OpenPrinter %s", printer.toUtf8().constData());
  if (printer.trimmed().compare(QLatin1String("dialog"), Qt::CaseInsensitive) == 0) {
    if (!env.dialogs_allowed) {
      // Nobody can answer: the last selection, else the default printer.
      const PrinterDefaults defaults = current_printer_defaults();
      const QString name = defaults.empty() ? default_printer_name() : defaults.printer;
      if (shell::is_pdf_printer_name(name)) return open_pdf(origin, document, env);
      auto target = std::make_unique<PrinterPageTarget>(name, document);
      if (target->valid()) apply_defaults(defaults, target->printer());
      return open_printer(std::move(target), name);
    }
    PrintDialogAnswer answer = ask_for_printer(document, env.dialog_wait_ms, cancel);
    if (!answer.printer)
      return failure(40311, answer.timed_out ? foundation::kWSAETIMEDOUT : 0, printer);
    answer.printer->setDocName(document);
    return open_printer(std::make_unique<PrinterPageTarget>(std::move(answer.printer)), printer);
  }
  const QString name = resolve_printer_name(printer);
  if (name.isEmpty()) return failure(40311, 0, printer);
  if (shell::is_pdf_printer_name(name)) return open_pdf(origin, document, env);
  return open_printer(std::make_unique<PrinterPageTarget>(name, document), name);
}

}  // namespace kovw::print
