#include "net/packbits.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kovw::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes encode(const Bytes& in) {
  Bytes out(packbits_bound(in.size()));
  out.resize(packbits_encode(in.data(), in.size(), out.data()));
  return out;
}

TEST(PackBits, BlanksAndSmallShapes) {
  EXPECT_EQ((Bytes{0x81, 0x20, 0x81, 0x20, 0xD5, 0x20}), encode(Bytes(300, ' ')));
  EXPECT_EQ((Bytes{0x81, 'a', 0x00, 'a'}), encode(Bytes(129, 'a')));
  EXPECT_EQ((Bytes{0x02, 'a', 'b', 'c'}), encode(Bytes{'a', 'b', 'c'}));
  EXPECT_EQ((Bytes{0x00, 'x', 0xFF, 'y', 0x00, 'z'}), encode(Bytes{'x', 'y', 'y', 'z'}));
  EXPECT_EQ(Bytes{}, encode(Bytes{}));
  Bytes literal(200);
  for (std::size_t i = 0; i < literal.size(); ++i) literal[i] = static_cast<std::uint8_t>(i);
  const Bytes coded = encode(literal);
  ASSERT_EQ(202u, coded.size());
  EXPECT_EQ(127, coded[0]);
  EXPECT_EQ(71, coded[129]);
}

TEST(PackBits, RoundTripsMixedData) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    Bytes in(random() % 3000);
    std::size_t i = 0;
    while (i < in.size()) {
      const std::size_t piece = std::min<std::size_t>(in.size() - i, 1 + random() % 300);
      const bool run = random() % 2 == 0;
      const auto b = static_cast<std::uint8_t>(random());
      for (std::size_t k = 0; k < piece; ++k) {
        in[i + k] = run ? b : static_cast<std::uint8_t>(random() % 4);
      }
      i += piece;
    }
    const Bytes coded = encode(in);
    EXPECT_LE(coded.size(), packbits_bound(in.size()));
    Bytes out(in.size());
    ASSERT_EQ(static_cast<long>(in.size()),
              packbits_decode(coded.data(), coded.size(), out.data(), out.size()));
    ASSERT_EQ(in, out);
  }
}

TEST(PackBits, DecodeRejectsOverflowAndTruncation) {
  Bytes out(10);
  const Bytes too_long = {0xF5, 'a'};  // 12 repeats
  EXPECT_EQ(-1, packbits_decode(too_long.data(), too_long.size(), out.data(), out.size()));
  const Bytes cut_literal = {0x04, 'a', 'b'};
  EXPECT_EQ(-1, packbits_decode(cut_literal.data(), cut_literal.size(), out.data(), out.size()));
  const Bytes cut_repeat = {0xFE};
  EXPECT_EQ(-1, packbits_decode(cut_repeat.data(), cut_repeat.size(), out.data(), out.size()));
  const Bytes with_noop = {0x80, 0x00, 'q', 0x80};
  EXPECT_EQ(1, packbits_decode(with_noop.data(), with_noop.size(), out.data(), out.size()));
  EXPECT_EQ('q', out[0]);
}

TEST(PackBits, BlankFill) {
  const Bytes stored = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  Bytes out(25);
  blank_fill_decode(stored.data(), stored.size(), out.data(), 25);
  Bytes expected = stored;
  expected.resize(25, ' ');
  EXPECT_EQ(expected, out);
  blank_fill_decode(stored.data(), stored.size(), out.data(), 4);
  EXPECT_EQ('3', out[3]);
}

}  // namespace
}  // namespace kovw::net
