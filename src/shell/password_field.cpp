#include "shell/password_field.h"

#include <cstring>

#include "net/stored_cipher.h"

namespace kovw::shell {

bool encipher_password(std::string_view clear, std::array<std::uint8_t, 32>& field) {
  if (clear.size() > kPasswordMax) return false;
  field.fill(0);
  std::memcpy(field.data(), clear.data(), clear.size());
  net::stored_encipher(field.data(), nullptr, field.size());
  return true;
}

void encipher_block(std::uint8_t* block, std::size_t length) {
  net::stored_encipher(block, nullptr, length);
}

}  // namespace kovw::shell
