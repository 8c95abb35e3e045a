#pragma once
// The frame trace: one log line per frame sent or received while the trace switch is on.

#include <cstddef>
#include <string>

namespace kovw::net {

// "send " or "recv ", the service name and number ("%20s[%3d]"), the type name and number
// (" %20s[%3d]") and " Laenge <size>". Unknown names print as "<unbekannt>".
std::string frame_trace_line(const char* direction, int kind, int type, long size);

// Writes the trace line when the trace switch is on.
void frame_trace(const char* direction, int kind, int type, long size);

}  // namespace kovw::net
