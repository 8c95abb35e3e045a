#pragma once
// "Retc" answers: one to four integer items under the service and type of the request.

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

// `values` holds 1 to 4 numbers (more are not sent).
Outgoing build_retc(int service, int type, std::span<const std::int32_t> values);
Outgoing build_retc(int service, int type, std::initializer_list<std::int32_t> values);
// Reads 1 to 4 integer items; fails when there are none or more than four.
Result<std::vector<std::int32_t>> parse_retc(std::span<const std::uint8_t> payload);

// The empty answer KWK_SRETC of the graphics stream, and whether a host library of
// `host_version` waits for it after a stream message of `type`.
Outgoing build_stream_retc();
bool stream_wants_retc(int type, std::int32_t host_version);

// The keep-alive of service KWD_CONNECT (empty, either direction).
Outgoing build_keep_alive();
bool is_keep_alive(int service, int type);

}  // namespace kovw::protocol
