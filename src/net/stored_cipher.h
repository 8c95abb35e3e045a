#pragma once
// The stored-data cipher: short secrets (stored passwords and user names, transfer passwords)
// enciphered in place with single DES under a built-in key, optionally mixed with a key text.

#include <cstddef>
#include <cstdint>

namespace kovw::net {

// Enciphers `length` bytes of `field` in place with stored-data key 0. `key_text`, when given
// and not empty, is mixed into a copy of the key first. The field is processed in independent
// 8-byte blocks; a block whose distance to the field's end is a multiple of 16 uses the key's
// second half, any other block its first half. Callers use lengths of 16 and 32; bytes past
// the last whole block are left as they are. Returns 0.
int stored_encipher(std::uint8_t* field, const char* key_text, std::size_t length);

// The inverse of stored_encipher with the same key text. Returns 0.
int stored_decipher(std::uint8_t* field, const char* key_text, std::size_t length);

// The same with an explicit stored-data key number (0 to 3; others use key 0).
int stored_encipher_with_key(int key_number, std::uint8_t* field, const char* key_text,
                             std::size_t length);
int stored_decipher_with_key(int key_number, std::uint8_t* field, const char* key_text,
                             std::size_t length);

}  // namespace kovw::net
