// Seeds of the trace file reader: a program link and a server link trace, one cut inside a
// record.
#include "net/trace_file.h"
#include "seed_set.h"

namespace kovw::fuzz {

namespace {

using namespace kovw::net;

Bytes sample_trace(TraceLinkKind kind) {
  TraceHeader header;
  header.link_kind = kind;
  header.version = "7.3.5";
  header.peer = "hostsim";
  header.start_time = 1700000000;
  Bytes out = encode_trace_header(header);
  TraceRecord received{TraceRecordKind::Received, 0, 1, 40, {'D', 'e', 'm', 'o', 0}, {}};
  TraceRecord options{TraceRecordKind::Options, 120, 0, 0, {}, {2, kTraceCompression}};
  TraceRecord sent{TraceRecordKind::Sent, 2500, 1, 41, {0, 0, 0, 2, 0, 0, 0, 1}, {}};
  for (const TraceRecord& record : {received, options, sent})
    append(out, encode_trace_record(record));
  return out;
}

}  // namespace

void add_trace_seeds(SeedSet& seeds) {
  seeds.add("trace_file", "program_link", sample_trace(TraceLinkKind::Program));
  seeds.add("trace_file", "server_link", sample_trace(TraceLinkKind::Server));
  Bytes cut = sample_trace(TraceLinkKind::Program);
  cut.resize(cut.size() - 3);
  seeds.add("trace_file", "cut_in_record", cut);
}

}  // namespace kovw::fuzz
