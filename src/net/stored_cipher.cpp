#include "net/stored_cipher.h"

#include <nettle/des.h>

#include <array>
#include <cstring>

#include "net/link_constants.h"

namespace kovw::net {

namespace {

constexpr std::size_t kDesBlock = 8;

void run(bool encipher, int key_number, std::uint8_t* field, const char* key_text,
         std::size_t length) {
  if (field == nullptr) return;
  if (key_number < 0 || key_number > 3) key_number = 0;
  std::array<std::uint8_t, 16> key = kStoredDataKeys[static_cast<std::size_t>(key_number)];
  if (key_text != nullptr && key_text[0] != '\0') {
    const std::size_t text_length = std::strlen(key_text);
    for (std::size_t i = 0; i < key.size(); ++i) {
      key[i] ^= static_cast<std::uint8_t>(key_text[i % text_length]);
    }
  }
  // Parity bits are ignored by DES; a weak key still gives a usable schedule, so the result
  // of des_set_key does not matter here.
  des_ctx halves[2];
  des_set_key(&halves[0], key.data());
  des_set_key(&halves[1], key.data() + 8);
  for (std::size_t offset = 0; offset + kDesBlock <= length; offset += kDesBlock) {
    const std::size_t remaining = length - offset;
    const des_ctx& ctx = halves[remaining % 16 == 0 ? 1 : 0];
    std::uint8_t* block = field + offset;
    if (encipher) {
      des_encrypt(&ctx, kDesBlock, block, block);
    } else {
      des_decrypt(&ctx, kDesBlock, block, block);
    }
  }
  std::memset(key.data(), 0, key.size());
  std::memset(halves, 0, sizeof halves);
}

}  // namespace

int stored_encipher_with_key(int key_number, std::uint8_t* field, const char* key_text,
                             std::size_t length) {
  run(true, key_number, field, key_text, length);
  return 0;
}

int stored_decipher_with_key(int key_number, std::uint8_t* field, const char* key_text,
                             std::size_t length) {
  run(false, key_number, field, key_text, length);
  return 0;
}

int stored_encipher(std::uint8_t* field, const char* key_text, std::size_t length) {
  return stored_encipher_with_key(0, field, key_text, length);
}

int stored_decipher(std::uint8_t* field, const char* key_text, std::size_t length) {
  return stored_decipher_with_key(0, field, key_text, length);
}

}  // namespace kovw::net
