#pragma once
// print_raw_file: a spooled file sent unchanged to a printer. The PDF printer keeps it as a
// file in its folder (".pdf" when the data is a PDF document, else ".prn"); a system printer
// gets it through the system's print service as raw data, in blocks of 4096 bytes.

#include <QString>

#include "print/print_environment.h"

namespace kovw::print {

struct RawPrintResult {
  int message = 0;       // 0, 40311 (no such printer), 40324 (reading the file), 40284
  int system_error = 0;  // with the message
  QString printer;       // the printer or file used
};

// `printer` as the host named it: "standard", a name of the printer list, or a Unix print
// command whose -d option names the printer.
RawPrintResult print_raw_file(const QString& printer, const QString& path, const QString& origin,
                              const PrintEnvironment& env);

}  // namespace kovw::print
