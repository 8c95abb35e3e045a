// The job header of a print connection from arbitrary bytes: every field stays within its
// limit, and a header built from the parsed fields parses to the same job.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "foundation/host_text.h"
#include "print/job_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::print;
  const JobHeader header = parse_job_header(std::span(data, size));
  if (header.origin.size() > kJobNameMax || header.printer.size() > kJobNameMax ||
      header.format.size() > kFormatMax || header.second.size() > kFormatMax)
    std::abort();
  if (header.spooled() && header.direct()) std::abort();
  // Fields without zero bytes survive a round trip.
  if (header.format.find('\0') == std::string::npos &&
      header.second.find('\0') == std::string::npos) {
    const JobHeader again =
        parse_job_header(build_job_header(header.mode, "o", "p", header.format, header.second,
                                          header.dialog_owner, header.program_value));
    if (again.mode != header.mode || again.format != header.format ||
        again.dialog_owner != header.dialog_owner || again.program_value != header.program_value)
      std::abort();
  }
  const StatusRecord record =
      build_status_record(kStatusError, {reinterpret_cast<const char*>(data), size}, size % 2 == 0);
  if (record[127] != 0 || record[0] != '1') std::abort();
  return 0;
}
