#pragma once
// The direct printing loop: the connection of a direct print job is read as a program link;
// each message goes to the program command dispatcher with a session that has no windows and
// the job's printer as its output. Keep-alives are skipped; the link's orderly end ends the
// loop.

#include <QString>
#include <atomic>

#include "print/job_records.h"
#include "print/print_environment.h"

namespace kovw::session {
class CommandTable;
}

namespace kovw::print {

struct DirectPrintResult {
  bool ok = true;
  int message = 0;  // on failure: 10037 (receiving) or the printer's message
  int result = 0;   // the link's result
  int error = 0;    // the system error
  int pages = 0;
};

// Serves `socket` (left open) until the host ends the link, it fails or stays silent for the
// record wait, or `cancel` is set. The messages go to `commands` (the program command table
// when null).
DirectPrintResult direct_print_loop(int socket, const JobHeader& header, const QString& peer,
                                    const PrintEnvironment& env, const std::atomic<bool>& cancel,
                                    const session::CommandTable* commands = nullptr);

}  // namespace kovw::print
