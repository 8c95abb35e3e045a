// The encrypted file reader over arbitrary file contents, with a fixed file key.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "net/encrypted_file.h"

using namespace kovw::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TwofishCipher cipher = [] {
    TwofishCipher c;
    const std::uint8_t key[32] = {3, 1, 4, 1, 5, 9, 2, 6};
    c.set_key(key, sizeof key);
    return c;
  }();
  static std::FILE* sink = std::fopen("/dev/null", "wb");
  if (size == 0 || sink == nullptr) return 0;
  // With the low bit of the first byte set, the rest is taken as plain blocks and encrypted the
  // way a writer does (header alone, then chained), so the reader gets past the header check.
  std::vector<std::uint8_t> file(data + 1, data + size);
  if ((data[0] & 1) != 0 && file.size() >= 16) {
    std::uint8_t chain[16];
    cipher.encrypt_block(file.data(), file.data());
    std::memcpy(chain, file.data(), 16);
    for (std::size_t at = 16; at + 16 <= file.size(); at += 16) {
      for (int i = 0; i < 16; ++i) file[at + i] ^= chain[i];
      cipher.encrypt_block(file.data() + at, file.data() + at);
      std::memcpy(chain, file.data() + at, 16);
    }
  }
  if (file.empty()) return 0;
  std::FILE* in = fmemopen(file.data(), file.size(), "rb");
  if (in == nullptr) return 0;
  FileCryptError error;
  decrypt_file_stream(in, sink, cipher, error);
  std::fclose(in);
  return 0;
}
