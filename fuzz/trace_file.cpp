// Arbitrary bytes as a session trace file: the reader must stop at the last whole record or
// report the malformed one, and what it read must encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "net/trace_file.h"

using namespace kovw::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TraceContents contents = read_trace({data, size});
  if (!contents.error.empty() || contents.truncated) return 0;
  // A whole trace that read cleanly is re-encoded record by record; the records must come back
  // unchanged when read again.
  std::vector<std::uint8_t> again = encode_trace_header(contents.header);
  for (const TraceRecord& record : contents.records) {
    const std::vector<std::uint8_t> bytes = encode_trace_record(record);
    again.insert(again.end(), bytes.begin(), bytes.end());
  }
  const TraceContents reread = read_trace(again);
  if (!reread.error.empty() || reread.truncated || reread.records.size() != contents.records.size())
    std::abort();
  for (std::size_t i = 0; i < reread.records.size(); ++i) {
    if (reread.records[i].payload != contents.records[i].payload) std::abort();
  }
  return 0;
}
