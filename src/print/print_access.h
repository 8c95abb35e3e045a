#pragma once
// Opening the printer of a job (dp_access): "standard" is the default printer, "dialog" asks
// the user, "PDF" (any case) writes a PDF file into the PDF folder, any other name must be in
// the printer list.

#include <QString>
#include <atomic>
#include <memory>

#include "print/page_target.h"
#include "print/print_environment.h"

namespace kovw::print {

struct OpenedPrinter {
  std::unique_ptr<PageTarget> target;
  QString name;          // the printer used, or the PDF file written
  QString driver;        // the printer's make and model, when known
  int message = 0;       // 0, or 40311 (cannot be opened / dialog failed), 40314 (no device)
  int system_error = 0;  // with the message
  int location = 0;
};

// Opens `printer` (as the host named it) for a document named `document` of `origin`. A print
// dialog is given up when `cancel` is set meanwhile.
OpenedPrinter dp_access(const QString& printer, const QString& origin, const QString& document,
                        const PrintEnvironment& env, const std::atomic<bool>* cancel = nullptr);

// The printer a host's name stands for, without asking: the default printer for "standard",
// the name in the printer list (exactly or in any case) otherwise; empty when none.
QString resolve_printer_name(const QString& printer);

}  // namespace kovw::print
