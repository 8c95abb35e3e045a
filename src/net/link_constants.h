#pragma once
// Fixed values that the workstation and the host side must share byte for byte: the link key
// derivation constant, the password scrambling key, the stored-data keys and the file key
// derivation text. tools/hostsim reads them from here, so both ends always agree.

#include <array>
#include <cstdint>
#include <string_view>

namespace kovw::net {

// Mixed with the client and server values when the session key is derived (16 bytes).
extern const std::array<std::uint8_t, 16> kSessionKeyConstant;

// Added cyclically to scrambled passwords (17 printable characters).
extern const std::string_view kPasswordScrambleKey;

// The four stored-data keys; each is used as two DES keys (bytes 0-7 and 8-15).
extern const std::array<std::array<std::uint8_t, 16>, 4> kStoredDataKeys;

// Part of the file key derivation for encrypted transfer files (43 printable characters).
extern const std::string_view kFileKeyDerivationText;

}  // namespace kovw::net
