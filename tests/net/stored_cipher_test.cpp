#include "net/stored_cipher.h"

#include <gtest/gtest.h>
#include <nettle/des.h>

#include <array>
#include <cstring>

#include "net/link_constants.h"

namespace kovw::net {
namespace {

std::array<std::uint8_t, 32> sample_field() {
  std::array<std::uint8_t, 32> field{};
  std::memcpy(field.data(), "geheim", 6);
  return field;
}

TEST(StoredCipher, RoundTripWithSameKeyTextOnly) {
  const auto plain = sample_field();
  for (const char* text : {static_cast<const char*>(nullptr), "", "benutzer", "x"}) {
    auto field = plain;
    EXPECT_EQ(0, stored_encipher(field.data(), text, field.size()));
    EXPECT_NE(plain, field);
    EXPECT_EQ(0, stored_decipher(field.data(), text, field.size()));
    EXPECT_EQ(plain, field);
  }
  auto field = plain;
  stored_encipher(field.data(), "anna", field.size());
  stored_decipher(field.data(), "otto", field.size());
  EXPECT_NE(plain, field);
  // An empty key text is the same as none.
  auto a = plain, b = plain;
  stored_encipher(a.data(), nullptr, a.size());
  stored_encipher(b.data(), "", b.size());
  EXPECT_EQ(a, b);
}

// Blocks are independent single-DES blocks; the key half depends on the distance to the end.
TEST(StoredCipher, KeyHalfChosenByDistanceToEnd) {
  const auto& key = kStoredDataKeys[0];
  des_ctx first, second;
  des_set_key(&first, key.data());
  des_set_key(&second, key.data() + 8);
  std::uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::uint8_t with_first[8], with_second[8];
  des_encrypt(&first, 8, with_first, block);
  des_encrypt(&second, 8, with_second, block);

  std::array<std::uint8_t, 32> field;
  for (int i = 0; i < 4; ++i) std::memcpy(field.data() + 8 * i, block, 8);
  stored_encipher(field.data(), nullptr, field.size());
  EXPECT_EQ(0, std::memcmp(field.data() + 0, with_second, 8));
  EXPECT_EQ(0, std::memcmp(field.data() + 8, with_first, 8));
  EXPECT_EQ(0, std::memcmp(field.data() + 16, with_second, 8));
  EXPECT_EQ(0, std::memcmp(field.data() + 24, with_first, 8));

  std::array<std::uint8_t, 16> short_field;
  std::memcpy(short_field.data(), block, 8);
  std::memcpy(short_field.data() + 8, block, 8);
  stored_encipher(short_field.data(), nullptr, short_field.size());
  EXPECT_EQ(0, std::memcmp(short_field.data(), with_second, 8));
  EXPECT_EQ(0, std::memcmp(short_field.data() + 8, with_first, 8));
}

TEST(StoredCipher, KeyTextIsXoredCyclicallyIntoKey) {
  auto key = kStoredDataKeys[0];
  const char* text = "abc";
  for (std::size_t i = 0; i < key.size(); ++i) key[i] ^= static_cast<std::uint8_t>(text[i % 3]);
  des_ctx second;
  des_set_key(&second, key.data() + 8);
  std::uint8_t block[8] = {9, 8, 7, 6, 5, 4, 3, 2}, expected[8];
  des_encrypt(&second, 8, expected, block);
  std::uint8_t field[16] = {9, 8, 7, 6, 5, 4, 3, 2};
  stored_encipher(field, text, sizeof field);
  EXPECT_EQ(0, std::memcmp(field, expected, 8));
}

TEST(StoredCipher, TrailingPartialBlockUntouched) {
  std::uint8_t field[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  stored_encipher(field, nullptr, sizeof field);
  EXPECT_EQ(9, field[8]);
  EXPECT_EQ(12, field[11]);
  stored_decipher(field, nullptr, sizeof field);
  EXPECT_EQ(1, field[0]);
}

}  // namespace
}  // namespace kovw::net
