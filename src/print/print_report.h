#pragma once
// report_print_error: every failure of a print job goes to the log as "KOVWP(<location>) <text>"
// (with the system error's number and text on a second line when there is one) and, in
// interactive jobs, to a message box titled "KOVW Print".

#include <string>

#include "print/print_errors.h"

namespace kovw::print {

// The log line of a failure.
std::string print_error_log_text(const PrintError& error);

void report_print_error(const PrintError& error, bool interactive);

// The sink of one job: reports every error with the job's interactive flag.
class JobErrorSink : public PrintErrorSink {
 public:
  explicit JobErrorSink(bool interactive) : interactive_(interactive) {}
  void report(const PrintError& error) override { report_print_error(error, interactive_); }

 private:
  bool interactive_;
};

}  // namespace kovw::print
