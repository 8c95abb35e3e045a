// The run-length code of the wide-character width table.

#include "graphics/width_table_code.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kovw::graphics {
namespace {

using Bytes = std::vector<std::uint8_t>;

// `count` two-byte units of `value`, little-endian as the table stores them.
Bytes units(std::size_t count, std::uint16_t value) {
  Bytes out;
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(WidthTableCodeTest, RepeatGroupsBySize) {
  struct Case {
    std::size_t copies;
    Bytes code;
  };
  const Case cases[] = {
      {65536, {0x82, 0xFF, 0xFF, 0x90, 0x00}},
      {2, {0xFF, 0x90, 0x00}},
      {126, {0x83, 0x90, 0x00}},
      {127, {0x81, 0x7E, 0x90, 0x00}},
      {256, {0x81, 0xFF, 0x90, 0x00}},
      {257, {0x82, 0x01, 0x00, 0x90, 0x00}},
  };
  for (const Case& c : cases) {
    const Bytes table = units(c.copies, 0x0090);
    EXPECT_EQ(c.code, encode_width_table(table, 2)) << c.copies;
    EXPECT_EQ(table, decode_width_table(c.code, 2, 1 << 20)) << c.copies;
  }
}

TEST(WidthTableCodeTest, LiteralsAreGatheredBetweenRepeats) {
  const Bytes table = concat({units(1, 1), units(1, 2), units(3, 7), units(1, 3)});
  const Bytes want = {0x01, 1, 0, 2, 0, 0xFE, 7, 0, 0x00, 3, 0};
  EXPECT_EQ(want, encode_width_table(table, 2));
  // 300 different units: literal groups of 128, 128 and 44.
  Bytes distinct;
  for (int i = 0; i < 300; ++i) {
    distinct.push_back(static_cast<std::uint8_t>(i));
    distinct.push_back(static_cast<std::uint8_t>(i >> 8));
  }
  const Bytes code = encode_width_table(distinct, 2);
  ASSERT_EQ(600u + 3, code.size());
  EXPECT_EQ(127, code[0]);
  EXPECT_EQ(127, code[1 + 256]);
  EXPECT_EQ(43, code[2 + 512]);
}

TEST(WidthTableCodeTest, RoundTripsWithinTheBoundForEveryUnitSize) {
  std::mt19937 random(7);
  for (std::size_t unit = 1; unit <= 4; ++unit) {
    Bytes table;
    // Mixed runs and noise, with few distinct values so that runs occur.
    while (table.size() < 65536 * unit) {
      const std::size_t run = random() % 5 == 0 ? random() % 400 : 1;
      const std::uint32_t value = random() % 3;
      for (std::size_t r = 0; r < run; ++r)
        for (std::size_t b = 0; b < unit; ++b) table.push_back(static_cast<std::uint8_t>(value));
    }
    table.resize(65536 * unit);
    const Bytes code = encode_width_table(table, unit);
    EXPECT_LE(code.size(), width_code_bound(65536, unit));
    EXPECT_EQ(table, decode_width_table(code, unit, table.size())) << unit;
  }
  // The worst case: nothing repeats.
  Bytes noise;
  for (int i = 0; i < 65536; ++i) {
    noise.push_back(static_cast<std::uint8_t>(i));
    noise.push_back(static_cast<std::uint8_t>(i >> 8));
  }
  EXPECT_EQ(131584u, encode_width_table(noise, 2).size());
  EXPECT_EQ(131584u, width_code_bound(65536, 2));
}

TEST(WidthTableCodeTest, TheDecoderRefusesBadCodes) {
  EXPECT_FALSE(decode_width_table(Bytes{0x05, 1, 2}, 2, 100));               // literal past the end
  EXPECT_FALSE(decode_width_table(Bytes{0x82, 0xFF}, 2, 1 << 20));           // count cut short
  EXPECT_FALSE(decode_width_table(Bytes{0xFF, 1}, 2, 100));                  // unit cut short
  EXPECT_FALSE(decode_width_table(Bytes{0x82, 0xFF, 0xFF, 1, 2}, 2, 1000));  // too long
  EXPECT_FALSE(decode_width_table(Bytes{0x00, 1}, 5, 100));                  // no such unit size
  EXPECT_EQ(Bytes({1, 2}), decode_width_table(Bytes{0x80, 0x00, 1, 2, 0x80}, 2, 2));
}

}  // namespace
}  // namespace kovw::graphics
