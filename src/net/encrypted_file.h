#pragma once
// Encrypted transfer files: a header block, the name area and the data blocks, all 16 bytes
// wide and encrypted with Twofish-256 in cipher block chaining under a key derived from the
// transfer password. Version 1 is written; versions 0 and 1 are read.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "net/twofish_cipher.h"

namespace kovw::net {

// The failure texts.
inline constexpr const char* kFileReadError = "Error reading input file";
inline constexpr const char* kFileWriteError = "Error writing output file";
inline constexpr const char* kFileCorrupted = "Corrupted file or wrong key";
inline constexpr const char* kFileBadPassword = "Invalid transfer password";
inline constexpr const char* kFileCipherFailed = "Twofish self-test failed";

// Largest name area accepted when reading (base names are far shorter).
inline constexpr std::uint32_t kMaxNameArea = 4096;

struct FileCryptError {
  std::string text;  // one of the texts above
  int code = 0;      // the system error (errno) of a read or write failure, else 0
};

// The 32-byte file key from the 16-byte transfer password as the host sent it (enciphered with
// the stored-data cipher). False when the password's first two bytes are both zero after
// deciphering (no replacement value exists for the key spreading).
bool file_key_from_password(const std::uint8_t* password, std::array<std::uint8_t, 32>& key);

// Writes the encrypted form of `source_path` to `target_path`. Returns 1, or 0 with `error`
// (when given) holding the text and code; the last failure of the thread is also kept.
int file_encrypt(const std::string& source_path, const std::string& target_path,
                 const std::uint8_t* password, FileCryptError* error = nullptr);
// Writes the decrypted content of `source_path` to `target_path`. Same results.
int file_decrypt(const std::string& source_path, const std::string& target_path,
                 const std::uint8_t* password, FileCryptError* error = nullptr);

// The calling thread's last failure of file_encrypt or file_decrypt.
const FileCryptError& file_crypt_last_error();

// The stream forms (the cipher holds the file key): encrypt `in` as a file named `base_name`,
// or decrypt `in`. Return 1, or 0 with `error` set.
int encrypt_file_stream(std::FILE* in, std::FILE* out, const std::string& base_name,
                        const TwofishCipher& cipher, FileCryptError& error);
int decrypt_file_stream(std::FILE* in, std::FILE* out, const TwofishCipher& cipher,
                        FileCryptError& error);

}  // namespace kovw::net
