#include "net/encrypted_file.h"

#include <nettle/md5.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

#include "net/link_constants.h"
#include "net/stored_cipher.h"

namespace kovw::net {

namespace {

constexpr std::size_t kBlock = kTwofishBlock;

FileCryptError& last_error() {
  thread_local FileCryptError error;
  return error;
}

int fail(FileCryptError& error, const char* text, int code = 0) {
  error.text = text;
  error.code = code;
  return 0;
}

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string base_name_of(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void xor_block(std::uint8_t* block, const std::uint8_t* with) {
  for (std::size_t i = 0; i < kBlock; ++i) block[i] ^= with[i];
}

// Reads up to one block; returns the byte count, or -1 on a read error.
long read_block(std::FILE* in, std::uint8_t* block) {
  const std::size_t count = std::fread(block, 1, kBlock, in);
  if (count < kBlock && std::ferror(in)) return -1;
  return static_cast<long>(count);
}

bool write_bytes(std::FILE* out, const std::uint8_t* data, std::size_t length) {
  return length == 0 || std::fwrite(data, 1, length, out) == length;
}

// Encrypts one block in chaining mode and writes it; `chain` holds the previous ciphertext.
bool put_chained(std::FILE* out, const TwofishCipher& cipher, std::uint8_t* block,
                 std::uint8_t* chain) {
  xor_block(block, chain);
  cipher.encrypt_block(block, block);
  std::memcpy(chain, block, kBlock);
  return write_bytes(out, block, kBlock);
}

void random_fill(std::uint8_t* data, std::size_t length) {
  thread_local std::mt19937 generator{std::random_device{}()};
  for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>(generator());
}

}  // namespace

bool file_key_from_password(const std::uint8_t* password, std::array<std::uint8_t, 32>& key) {
  std::uint8_t q[32] = {};
  std::memcpy(q, password, 16);
  stored_decipher(q, nullptr, 16);
  std::uint8_t a[16], b[16];
  for (int i = 0; i < 16; ++i) {
    a[i] = q[2 * i];
    b[i] = q[2 * i + 1];
  }
  const bool usable = a[0] != 0 || b[0] != 0;
  for (int i = 0; i < 16; ++i) {
    if (a[i] == 0) a[i] = b[0];
    if (b[i] == 0) b[i] = a[0];
  }
  md5_ctx md5;
  md5_init(&md5);
  md5_update(&md5, 16, b);
  md5_update(&md5, kFileKeyDerivationText.size(),
             reinterpret_cast<const std::uint8_t*>(kFileKeyDerivationText.data()));
  md5_update(&md5, 16, a);
  md5_digest(&md5, 16, key.data());
  md5_init(&md5);
  md5_update(&md5, 16, a);
  md5_update(&md5, 16, key.data());
  md5_update(&md5, 16, b);
  md5_digest(&md5, 16, key.data() + 16);
  std::memset(q, 0, sizeof q);
  std::memset(a, 0, sizeof a);
  std::memset(b, 0, sizeof b);
  if (!usable) key.fill(0);
  return usable;
}

int encrypt_file_stream(std::FILE* in, std::FILE* out, const std::string& base_name,
                        const TwofishCipher& cipher, FileCryptError& error) {
  // Header block, encrypted on its own; its ciphertext starts the chain.
  const std::uint32_t name_area = static_cast<std::uint32_t>(base_name.size() / kBlock + 1) * 16;
  std::uint8_t block[kBlock], chain[kBlock];
  random_fill(block, kBlock);
  block[3] = 'F';
  block[5] = 'b';
  block[8] = 1;
  block[10] = 'W';
  block[11] = 'T';
  block[1] = static_cast<std::uint8_t>(name_area >> 16);
  block[4] = static_cast<std::uint8_t>(name_area >> 8);
  block[6] = static_cast<std::uint8_t>(name_area >> 24);
  block[12] = static_cast<std::uint8_t>(name_area);
  cipher.encrypt_block(block, chain);
  if (!write_bytes(out, chain, kBlock)) return fail(error, kFileWriteError, errno);

  // Name area: the base name, a zero byte, zero filler.
  for (std::uint32_t offset = 0; offset < name_area; offset += kBlock) {
    std::memset(block, 0, kBlock);
    if (offset < base_name.size()) {
      std::memcpy(block, base_name.data() + offset,
                  std::min<std::size_t>(kBlock, base_name.size() - offset));
    }
    if (!put_chained(out, cipher, block, chain)) return fail(error, kFileWriteError, errno);
  }

  // Data blocks, then the final block with the count of its bytes in byte 15.
  for (;;) {
    const long count = read_block(in, block);
    if (count < 0) return fail(error, kFileReadError, errno);
    if (count < static_cast<long>(kBlock)) {
      random_fill(block + count, kBlock - 1 - static_cast<std::size_t>(count));
      block[15] = static_cast<std::uint8_t>(count);
      if (!put_chained(out, cipher, block, chain)) return fail(error, kFileWriteError, errno);
      break;
    }
    if (!put_chained(out, cipher, block, chain)) return fail(error, kFileWriteError, errno);
  }
  if (std::fflush(out) != 0) return fail(error, kFileWriteError, errno);
  return 1;
}

int decrypt_file_stream(std::FILE* in, std::FILE* out, const TwofishCipher& cipher,
                        FileCryptError& error) {
  std::uint8_t cipher_block[kBlock], plain[kBlock], chain[kBlock];
  long count = read_block(in, cipher_block);
  if (count < 0) return fail(error, kFileReadError, errno);
  if (count < static_cast<long>(kBlock)) return fail(error, kFileReadError);
  cipher.decrypt_block(cipher_block, plain);
  std::memcpy(chain, cipher_block, kBlock);

  const int version = plain[8];
  std::uint32_t name_area = 0;
  if (version >= 1) {
    if (plain[3] != 'F' || plain[5] != 'b' || plain[10] != 'W' || plain[11] != 'T') {
      return fail(error, kFileCorrupted);
    }
    name_area = (std::uint32_t{plain[6]} << 24) | (std::uint32_t{plain[1]} << 16) |
                (std::uint32_t{plain[4]} << 8) | plain[12];
  } else {
    if (std::memcmp(plain, "bTWF", 4) != 0) return fail(error, kFileCorrupted);
    name_area = std::uint32_t{plain[4]} | (std::uint32_t{plain[5]} << 8) |
                (std::uint32_t{plain[6]} << 16) | (std::uint32_t{plain[7]} << 24);
  }
  if (name_area % kBlock != 0 || name_area > kMaxNameArea) return fail(error, kFileCorrupted);

  // Name area: chained from the header in version 1, block by block in version 0 (whose data
  // chain then starts from the header's ciphertext).
  for (std::uint32_t offset = 0; offset < name_area; offset += kBlock) {
    count = read_block(in, cipher_block);
    if (count < 0) return fail(error, kFileReadError, errno);
    if (count < static_cast<long>(kBlock)) return fail(error, kFileCorrupted);
    if (version >= 1) std::memcpy(chain, cipher_block, kBlock);
  }

  // Data: a block is written whole when another full block follows; the last one is the final
  // block with its count in byte 15. Bytes after it make the file corrupt.
  count = read_block(in, cipher_block);
  if (count < 0) return fail(error, kFileReadError, errno);
  if (count < static_cast<long>(kBlock)) return fail(error, kFileCorrupted);
  std::uint8_t next[kBlock];
  for (;;) {
    cipher.decrypt_block(cipher_block, plain);
    xor_block(plain, chain);
    std::memcpy(chain, cipher_block, kBlock);
    const long following = read_block(in, next);
    if (following < 0) return fail(error, kFileReadError, errno);
    if (following == static_cast<long>(kBlock)) {
      if (!write_bytes(out, plain, kBlock)) return fail(error, kFileWriteError, errno);
      std::memcpy(cipher_block, next, kBlock);
      continue;
    }
    if (following != 0 || plain[15] >= kBlock) return fail(error, kFileCorrupted);
    if (!write_bytes(out, plain, plain[15])) return fail(error, kFileWriteError, errno);
    break;
  }
  if (std::fflush(out) != 0) return fail(error, kFileWriteError, errno);
  return 1;
}

namespace {

enum class Direction { kEncrypt, kDecrypt };

int run_file(Direction direction, const std::string& source_path, const std::string& target_path,
             const std::uint8_t* password, FileCryptError* error_out) {
  FileCryptError& error = last_error();
  error = {};
  int result = 0;
  std::array<std::uint8_t, 32> key{};
  TwofishCipher cipher;
  if (!Twofish_initialise()) {
    fail(error, kFileCipherFailed);
  } else if (password == nullptr || !file_key_from_password(password, key)) {
    fail(error, kFileBadPassword);
  } else {
    cipher.set_key(key.data(), key.size());
    key.fill(0);
    File in(std::fopen(source_path.c_str(), "rb"));
    if (!in) {
      fail(error, kFileReadError, errno);
    } else {
      File out(std::fopen(target_path.c_str(), "wb"));
      if (!out) {
        fail(error, kFileWriteError, errno);
      } else {
        result =
            direction == Direction::kEncrypt
                ? encrypt_file_stream(in.get(), out.get(), base_name_of(source_path), cipher, error)
                : decrypt_file_stream(in.get(), out.get(), cipher, error);
        if (std::fclose(out.release()) != 0 && result == 1) {
          result = fail(error, kFileWriteError, errno);
        }
      }
    }
  }
  cipher.clear();
  if (error_out) *error_out = error;
  return result;
}

}  // namespace

int file_encrypt(const std::string& source_path, const std::string& target_path,
                 const std::uint8_t* password, FileCryptError* error) {
  return run_file(Direction::kEncrypt, source_path, target_path, password, error);
}

int file_decrypt(const std::string& source_path, const std::string& target_path,
                 const std::uint8_t* password, FileCryptError* error) {
  return run_file(Direction::kDecrypt, source_path, target_path, password, error);
}

const FileCryptError& file_crypt_last_error() {
  return last_error();
}

}  // namespace kovw::net
