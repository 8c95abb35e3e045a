#pragma once
// Replaying a recorded program link: the host's frames of the trace are sent to the
// workstation (with their recorded timing, or as fast as the workstation answers), and every
// frame the workstation sent in the recording must come again, the same but for the fields
// that differ from run to run. The first difference ends the replay and is reported decoded.

#include <atomic>
#include <optional>
#include <string>

#include "host_program.h"
#include "net/frame_reader.h"
#include "net/trace_file.h"

namespace hostsim {

// Loads a program link trace for --replay; nothing (with `error`) when the file is not a
// readable trace of a program link. A trace cut inside a record is played up to its last whole
// record.
std::optional<kovw::net::TraceContents> load_replay_trace(const std::string& path,
                                                          std::string& error);

// Plays `trace` on the program link `socket` (after the forwarded KWK_KPROXY, which a trace
// does not hold). Returns true (and counts it in replays_passed()) when every recorded frame of
// the workstation came again; a difference is logged and written to stderr.
bool run_replay(const kovw::net::TraceContents& trace, bool fast, int socket,
                kovw::net::FrameReader& reader, const std::atomic<bool>& stop, const LogLine& log);

// Replays of this process that ran to their end without a difference.
std::atomic<int>& replays_passed();

// The trace decoded, one line a record, for --dump-trace.
std::string dump_trace(const kovw::net::TraceContents& trace);

}  // namespace hostsim
