#pragma once
// Reversible in-place scrambling of passwords before they leave the machine or are stored:
// exchange the bytes of each pair, then add the shared scrambling key cyclically.

#include <cstddef>
#include <cstdint>

namespace kovw::net {

void scramble_password(std::uint8_t* text, std::size_t count);
void unscramble_password(std::uint8_t* text, std::size_t count);

inline void scramble_password(char* text, std::size_t count) {
  scramble_password(reinterpret_cast<std::uint8_t*>(text), count);
}
inline void unscramble_password(char* text, std::size_t count) {
  unscramble_password(reinterpret_cast<std::uint8_t*>(text), count);
}

}  // namespace kovw::net
