#pragma once
// Recording links into trace files: the process-wide recording directory (the --record option
// or the setting; empty: no recording) and the trace file of one link.

#include <memory>
#include <string>

#include "net/link_state.h"
#include "net/trace_file.h"

namespace kovw::net {

// Switches recording on for links opened from now on (`directory` empty: off). `version` is
// the workstation's version text written into every trace header.
void set_recording(const std::string& directory, const std::string& version);

// The options of a link as a trace writes them.
TraceOptions trace_options(const LinkState& state);
// The other way: sets the calling thread's link to the options a trace recorded (a replay).
void apply_trace_options(const TraceOptions& options);

// Opens a new trace file for a link in the recording directory, named
// "<kind>-<YYYYMMDD-HHMMSS>-<process>-<n>.kovwtrace". Null when recording is off or the file
// cannot be created (logged).
std::shared_ptr<TraceWriter> open_link_recording(TraceLinkKind kind, const std::string& peer,
                                                 const LinkState& options);

}  // namespace kovw::net
