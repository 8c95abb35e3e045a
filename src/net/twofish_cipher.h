#pragma once
// Twofish block cipher (nettle) with cipher block chaining over whole 16-byte blocks, and the
// known-answer self-test that start-up runs once per process.

#include <nettle/twofish.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kovw::net {

inline constexpr std::size_t kTwofishBlock = 16;

// One prepared key schedule (the key-dependent substitution tables and the round keys).
class TwofishCipher {
 public:
  // Prepares the schedule from a key of 16, 24 or 32 bytes; any other length returns false and
  // leaves the schedule unprepared.
  bool set_key(const std::uint8_t* key, std::size_t length);
  bool prepared() const { return prepared_; }
  void clear();

  void encrypt_block(const std::uint8_t* in, std::uint8_t* out) const;
  void decrypt_block(const std::uint8_t* in, std::uint8_t* out) const;

  // Cipher block chaining in place over `length` bytes (a multiple of 16; a remainder is left
  // untouched). `iv` is the chaining value: it is read first and holds the last ciphertext
  // block afterwards, so that a chain can be continued over several calls.
  void encrypt_cbc(std::uint8_t* data, std::size_t length, std::uint8_t* iv) const;
  void decrypt_cbc(std::uint8_t* data, std::size_t length, std::uint8_t* iv) const;

 private:
  twofish_ctx ctx_{};
  bool prepared_ = false;
};

// Known-answer test of the Twofish implementation (published 128- and 256-bit vectors, plus
// decryption and a chained round trip). True when every check passes.
bool twofish_self_test();

// Runs the self-test once per process (later calls return the first result). On failure calls
// `failure_hook` with the failure text, or logs "Twofish:<text>" when there is no hook.
// Start-up passes a hook that shows message 10097.
bool Twofish_initialise(const std::function<void(const char*)>& failure_hook = {});

}  // namespace kovw::net
