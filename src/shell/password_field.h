#pragma once
// Passwords and user names are kept only enciphered with the stored-data cipher: these
// helpers fill such a field from clear text at once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kovw::shell {

// Longest clear password a 32-byte field holds (its terminating zero included).
inline constexpr std::size_t kPasswordMax = 31;

// Enciphers `clear` into `field` (zero-filled); false when the password is too long.
bool encipher_password(std::string_view clear, std::array<std::uint8_t, 32>& field);

// Enciphers a zero-filled block in place; `length` is a multiple of 8.
void encipher_block(std::uint8_t* block, std::size_t length);

}  // namespace kovw::shell
