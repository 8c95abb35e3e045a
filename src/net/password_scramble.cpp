#include "net/password_scramble.h"

#include <utility>

#include "net/link_constants.h"

namespace kovw::net {

namespace {

void swap_pairs(std::uint8_t* text, std::size_t count) {
  for (std::size_t i = 0; i + 1 < count; i += 2) std::swap(text[i], text[i + 1]);
}

std::uint8_t key_byte(std::size_t i) {
  return static_cast<std::uint8_t>(kPasswordScrambleKey[i % kPasswordScrambleKey.size()]);
}

}  // namespace

void scramble_password(std::uint8_t* text, std::size_t count) {
  if (text == nullptr) return;
  swap_pairs(text, count);
  for (std::size_t i = 0; i < count; ++i)
    text[i] = static_cast<std::uint8_t>(text[i] + key_byte(i));
}

void unscramble_password(std::uint8_t* text, std::size_t count) {
  if (text == nullptr) return;
  for (std::size_t i = 0; i < count; ++i)
    text[i] = static_cast<std::uint8_t>(text[i] - key_byte(i));
  swap_pairs(text, count);
}

}  // namespace kovw::net
