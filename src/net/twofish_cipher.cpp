#include "net/twofish_cipher.h"

#include <nettle/cbc.h>

#include <cstring>
#include <mutex>

#include "foundation/log.h"

namespace kovw::net {

bool TwofishCipher::set_key(const std::uint8_t* key, std::size_t length) {
  if (key == nullptr || (length != 16 && length != 24 && length != 32)) {
    prepared_ = false;
    return false;
  }
  twofish_set_key(&ctx_, length, key);
  prepared_ = true;
  return true;
}

void TwofishCipher::clear() {
  std::memset(&ctx_, 0, sizeof ctx_);
  prepared_ = false;
}

void TwofishCipher::encrypt_block(const std::uint8_t* in, std::uint8_t* out) const {
  twofish_encrypt(&ctx_, kTwofishBlock, out, in);
}

void TwofishCipher::decrypt_block(const std::uint8_t* in, std::uint8_t* out) const {
  twofish_decrypt(&ctx_, kTwofishBlock, out, in);
}

void TwofishCipher::encrypt_cbc(std::uint8_t* data, std::size_t length, std::uint8_t* iv) const {
  length -= length % kTwofishBlock;
  if (length == 0) return;
  nettle_cbc_encrypt(&ctx_, reinterpret_cast<nettle_cipher_func*>(&nettle_twofish_encrypt),
                     kTwofishBlock, iv, length, data, data);
}

void TwofishCipher::decrypt_cbc(std::uint8_t* data, std::size_t length, std::uint8_t* iv) const {
  length -= length % kTwofishBlock;
  if (length == 0) return;
  nettle_cbc_decrypt(&ctx_, reinterpret_cast<nettle_cipher_func*>(&nettle_twofish_decrypt),
                     kTwofishBlock, iv, length, data, data);
}

namespace {

const char* self_test_failure() {
  // Published vectors: all-zero key and plaintext.
  static const std::uint8_t kCipher128[16] = {0x9F, 0x58, 0x9F, 0x5C, 0xF6, 0x12, 0x2C, 0x32,
                                              0xB6, 0xBF, 0xEC, 0x2F, 0x2A, 0xE8, 0xC3, 0x5A};
  static const std::uint8_t kCipher256[16] = {0x57, 0xFF, 0x73, 0x9D, 0x4D, 0xC9, 0x2C, 0x1B,
                                              0xD7, 0xFC, 0x01, 0x70, 0x0C, 0xC8, 0x21, 0x6F};
  const std::uint8_t zero_key[32] = {};
  const std::uint8_t zero_block[16] = {};
  std::uint8_t block[16];

  TwofishCipher cipher;
  if (!cipher.set_key(zero_key, 16)) return "128-bit key does not expand";
  cipher.encrypt_block(zero_block, block);
  if (std::memcmp(block, kCipher128, 16) != 0) return "128-bit known-answer encryption failed";
  cipher.decrypt_block(block, block);
  if (std::memcmp(block, zero_block, 16) != 0) return "128-bit known-answer decryption failed";

  if (!cipher.set_key(zero_key, 32)) return "256-bit key does not expand";
  cipher.encrypt_block(zero_block, block);
  if (std::memcmp(block, kCipher256, 16) != 0) return "256-bit known-answer encryption failed";

  // Chaining: three blocks round trip, and the first block equals the plain block cipher.
  std::uint8_t key[16];
  for (int i = 0; i < 16; ++i) key[i] = static_cast<std::uint8_t>(i * 17 + 3);
  cipher.set_key(key, 16);
  std::uint8_t data[48], original[48], iv[16] = {};
  for (int i = 0; i < 48; ++i) data[i] = original[i] = static_cast<std::uint8_t>(i * 7);
  cipher.encrypt_cbc(data, sizeof data, iv);
  cipher.encrypt_block(original, block);
  if (std::memcmp(block, data, 16) != 0) return "chained encryption failed";
  std::memset(iv, 0, sizeof iv);
  cipher.decrypt_cbc(data, sizeof data, iv);
  if (std::memcmp(data, original, sizeof data) != 0) return "chained decryption failed";
  return nullptr;
}

}  // namespace

bool twofish_self_test() {
  return self_test_failure() == nullptr;
}

bool Twofish_initialise(const std::function<void(const char*)>& failure_hook) {
  static std::once_flag once;
  static const char* failure = nullptr;
  std::call_once(once, [] { failure = self_test_failure(); });
  if (failure == nullptr) return true;
  if (failure_hook) {
    failure_hook(failure);
  } else {
    foundation::log_printf("Twofish:%s", failure);
  }
  return false;
}

}  // namespace kovw::net
