#include <gtest/gtest.h>
#include <nettle/md5.h>

#include <cstring>
#include <string>

#include "net/link_constants.h"
#include "net/password_scramble.h"
#include "net/session_key.h"

namespace kovw::net {
namespace {

TEST(PasswordScramble, SwapsPairsThenAddsKeyAndReverses) {
  std::string text = "abc";  // odd: the last byte stays in place
  scramble_password(text.data(), text.size());
  EXPECT_EQ(static_cast<char>('b' + kPasswordScrambleKey[0]), text[0]);
  EXPECT_EQ(static_cast<char>('a' + kPasswordScrambleKey[1]), text[1]);
  EXPECT_EQ(static_cast<char>('c' + kPasswordScrambleKey[2]), text[2]);
  unscramble_password(text.data(), text.size());
  EXPECT_EQ("abc", text);

  std::string field(31, '\0');
  std::memcpy(field.data(), "Passwort mit 20 Zeichen", 23);
  const std::string original = field;
  for (int n = 1; n <= 3; ++n) {
    std::string work = original;
    for (int i = 0; i < n; ++i) scramble_password(work.data(), work.size());
    EXPECT_NE(original, work);
    for (int i = 0; i < n; ++i) unscramble_password(work.data(), work.size());
    EXPECT_EQ(original, work);
  }
  // The key repeats after 17 bytes.
  std::string zeros(36, '\0');
  scramble_password(zeros.data(), zeros.size());
  EXPECT_EQ(zeros[0 + 1], zeros[17 + 1]);
}

TEST(SessionKey, Md5OfMixedValuesPermuted) {
  std::uint8_t c[16], s[16];
  for (int i = 0; i < 16; ++i) {
    c[i] = static_cast<std::uint8_t>(i + 1);
    s[i] = static_cast<std::uint8_t>(0xF0 - i * 3);
  }
  const auto& k = kSessionKeyConstant;
  std::uint8_t input[80];
  for (int j = 0; j < 16; ++j) {
    input[j] = c[j];
    input[16 + j] = k[j] ^ c[15 - j];
    input[32 + j] = s[j];
    input[48 + j] = s[j] | k[15 - j];
    input[64 + j] = k[j];
  }
  md5_ctx md5;
  md5_init(&md5);
  md5_update(&md5, sizeof input, input);
  std::uint8_t d[16];
  md5_digest(&md5, 16, d);
  const SessionKey key = derive_session_key(c, s);
  const SessionKey expected = {d[6], d[0], d[7],  d[1],  d[12], d[8],  d[2],  d[13],
                               d[9], d[3], d[14], d[10], d[4],  d[15], d[11], d[5]};
  EXPECT_EQ(expected, key);
  s[0] ^= 1;
  EXPECT_NE(key, derive_session_key(c, s));
}

}  // namespace
}  // namespace kovw::net
