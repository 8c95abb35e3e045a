#pragma once
// Serving the workstation's file fetches from a directory: every request mode, answered the
// way a daemon of the configured version answers (KSIZE first, the information header, or
// plain data). Names are resolved below the directory; one that would leave it is refused.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "protocol/outgoing.h"

namespace hostsim {

// Sends one frame on the server link; false when the link failed.
using FrameSender = std::function<bool(const kovw::protocol::Outgoing&)>;

// Answers one fetch request (`type` KWK_KSDATEI or KWK_KSKOVW). `log` gets one line.
// Returns false when the link failed.
bool serve_fetch(const std::string& directory, std::int32_t daemon_version, int type,
                 std::span<const std::uint8_t> payload, const FrameSender& send,
                 const std::function<void(const std::string&)>& log);

// The local path of a host name below `directory`, or empty when it would leave it.
std::string path_below(const std::string& directory, const std::string& name);

}  // namespace hostsim
