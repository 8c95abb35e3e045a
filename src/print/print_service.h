#pragma once
// The print service: every print connection (accepted on the print port, or connected back for
// the daemon's print event) is served by a thread of its own. The thread reads the job header,
// then either spools the print data and prints it when the data ends (in the print language or
// raw), or serves the connection as a direct print link; it answers with status records.
//
// Every wait has a time-out: a connection that sends nothing at first is dropped without an
// answer; one that stops later gets an error status. Data spooled before a connection broke off
// is printed when it is in the print language (what was valid comes out) and the host is told
// of the error.

#include <QString>
#include <atomic>
#include <memory>
#include <string>

#include "print/print_environment.h"

namespace kovw::print {

// Sends one status record (128 bytes) with `text` (host text); false when it could not be sent.
bool send_print_status(int socket, int code, const std::string& text, bool explicit_length,
                       int timeout_ms);

// Serves one job on `socket` (which stays open); `peer` names the sending host. Returns 0.
int print_service(int socket, const QString& peer, const PrintEnvironment& env,
                  const std::shared_ptr<std::atomic<bool>>& cancel);

// start_print_job: takes `socket` over, starts the job's thread and returns at once. The
// environment is taken from the workstation's settings unless one is given.
void start_print_job(int socket, const QString& peer);
void start_print_job(int socket, const QString& peer, const PrintEnvironment& env);

// Jobs running now.
int running_print_jobs();
// Cancels every running job and wakes its waits.
void cancel_print_jobs();
// Waits until no job runs; false when `timeout_ms` ran out first.
bool wait_for_print_jobs(int timeout_ms);

}  // namespace kovw::print
