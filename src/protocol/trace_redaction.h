#pragma once
// What a session trace must not hold: the passwords of the login and of a password change are
// replaced by a marker before the frame is written.

#include <cstdint>
#include <string_view>
#include <vector>

namespace kovw::protocol {

// The text that stands in a trace where a password was.
inline constexpr std::string_view kTracePasswordMarker = "<password>";

// Replaces the password field of KWK_KLOGIN and both password fields of KWK_KPASS by the
// marker; a payload of those types that does not parse is replaced by the marker as a whole.
// Other frames stay unchanged.
void redact_passwords(int service, int type, std::vector<std::uint8_t>& payload);

}  // namespace kovw::protocol
