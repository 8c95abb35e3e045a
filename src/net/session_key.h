#pragma once
// Derivation of the 16-byte link session key from the client value (sent in the connect
// request) and the server value (from the daemon's reply): MD5 over both values mixed with the
// shared derivation constant, the digest bytes then permuted.

#include <array>
#include <cstdint>

namespace kovw::net {

using SessionKey = std::array<std::uint8_t, 16>;

SessionKey derive_session_key(const std::uint8_t* client_value, const std::uint8_t* server_value);

}  // namespace kovw::net
