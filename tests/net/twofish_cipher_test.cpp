#include "net/twofish_cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kovw::net {
namespace {

TEST(TwofishCipher, PublishedZeroVectorAndSelfTest) {
  const std::uint8_t zero[16] = {};
  const std::uint8_t expected[16] = {0x9F, 0x58, 0x9F, 0x5C, 0xF6, 0x12, 0x2C, 0x32,
                                     0xB6, 0xBF, 0xEC, 0x2F, 0x2A, 0xE8, 0xC3, 0x5A};
  TwofishCipher cipher;
  ASSERT_TRUE(cipher.set_key(zero, 16));
  std::uint8_t block[16];
  cipher.encrypt_block(zero, block);
  EXPECT_EQ(0, std::memcmp(block, expected, 16));
  EXPECT_TRUE(twofish_self_test());
  int hook_calls = 0;
  EXPECT_TRUE(Twofish_initialise([&](const char*) { ++hook_calls; }));
  EXPECT_EQ(0, hook_calls);
}

TEST(TwofishCipher, RejectsOddKeyLengths) {
  const std::uint8_t key[33] = {};
  TwofishCipher cipher;
  EXPECT_FALSE(cipher.set_key(key, 15));
  EXPECT_FALSE(cipher.set_key(key, 33));
  EXPECT_FALSE(cipher.prepared());
  EXPECT_TRUE(cipher.set_key(key, 24));
}

TEST(TwofishCipher, ChainContinuesAcrossCalls) {
  std::uint8_t key[16];
  for (int i = 0; i < 16; ++i) key[i] = static_cast<std::uint8_t>(0xA0 + i);
  TwofishCipher cipher;
  cipher.set_key(key, 16);
  std::vector<std::uint8_t> whole(64), split;
  for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<std::uint8_t>(i * 31);
  split = whole;
  const std::vector<std::uint8_t> plain = whole;
  std::uint8_t iv1[16] = {}, iv2[16] = {};
  cipher.encrypt_cbc(whole.data(), whole.size(), iv1);
  cipher.encrypt_cbc(split.data(), 16, iv2);
  cipher.encrypt_cbc(split.data() + 16, 48, iv2);
  EXPECT_EQ(whole, split);
  EXPECT_EQ(0, std::memcmp(iv1, whole.data() + 48, 16));
  // Chaining: equal plain blocks give different ciphertext.
  std::uint8_t iv3[16] = {};
  std::vector<std::uint8_t> same(32, 0x55);
  cipher.encrypt_cbc(same.data(), same.size(), iv3);
  EXPECT_NE(0, std::memcmp(same.data(), same.data() + 16, 16));
  std::memset(iv1, 0, 16);
  cipher.decrypt_cbc(whole.data(), whole.size(), iv1);
  EXPECT_EQ(plain, whole);
}

}  // namespace
}  // namespace kovw::net
