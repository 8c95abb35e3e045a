#pragma once
// Print jobs of the demonstration daemon: a print job listens on a free port and is announced
// to the workstation with KWK_KPRINT; the workstation connects back and forwards that message
// as the first frame. The job then sends its header and, for a spooled job, its file in print
// records and the empty record that ends it; a direct job serves the link as a program link
// (a keep-alive, an introduction and a window-id request) and ends it. Every status record is
// logged, decoded.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host_program.h"

namespace hostsim {

struct PrintJobSpec {
  std::string name;  // the job file, for the log and the job's origin
  std::string printer = "PDF";
  std::string format = "kovwp";
  int mode = 0;                    // header mode: 0x02 direct printing, 0x01 interactive
  std::vector<std::uint8_t> data;  // spooled jobs: the file's bytes
  bool to_print_port = false;      // sent to the workstation's print port, not announced

  bool direct() const { return (mode & 0x02) != 0 && (mode & ~0x19) != 0; }
};

// A spooled job with the bytes of `path`; nullopt (with `error`) when it cannot be read.
std::optional<PrintJobSpec> load_print_job(const std::string& path, std::string& error);

// Records of at most this many payload bytes carry the job file.
inline constexpr std::size_t kPrintRecordData = 4000;

// Runs one print job on the calling thread: accepts the workstation on `listen_socket` (closed
// here), then sends the job and logs the status records. Ends early when `stop` becomes true.
void run_print_job(const PrintJobSpec& job, int run_id, int listen_socket,
                   const std::atomic<bool>& stop, const LogLine& log);

// Runs one print job on the calling thread by connecting to the workstation's print port.
void run_print_job_to_port(const PrintJobSpec& job, int run_id, const std::string& host, int port,
                           const std::atomic<bool>& stop, const LogLine& log);

// A status record decoded for the log: `status 2 "text"`, with the version and computer name
// of a direct job's acceptance.
std::string describe_status_record(const std::uint8_t* record, bool direct_acceptance);

}  // namespace hostsim
