// The icon entry decoder shared by screen definitions and graphics window definitions: the
// entry's data must lie inside the data block, whatever the offset and length claim.

#include "protocol/program/icon_records.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kovw::protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes entry(std::string_view name, std::uint16_t length, std::uint32_t offset) {
  Bytes record(kIconEntrySize, 0);
  std::copy(name.begin(), name.end(), record.begin());
  record[32] = static_cast<std::uint8_t>(length);
  record[33] = static_cast<std::uint8_t>(length >> 8);
  for (int i = 0; i < 4; ++i) record[36 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
  return record;
}

TEST(IconRecords, EntriesDecodeOnlyInsideTheirDataBlock) {
  const Bytes block{1, 2, 3, 4, 5, 6};
  struct Case {
    const char* what;
    std::uint16_t length;
    std::uint32_t offset;
    std::int32_t version;
    std::optional<Bytes> data;  // nullopt: refused
  };
  const Case cases[] = {
      {"inside", 2, 1, 0x050000, Bytes{2, 3}},
      {"up to the end", 6, 0, 0x050000, block},
      {"empty at the end", 0, 6, 0x050000, Bytes{}},
      {"offset past the block", 0, 7, 0x050000, std::nullopt},
      {"length past the block", 3, 4, 0x050000, std::nullopt},
      {"length past an empty block's end", 1, 6, 0x050000, std::nullopt},
      {"offset that wraps", 2, 0xFFFFFFFF, 0x050000, std::nullopt},
      {"old library: offset in the high half", 2, 3u << 16, 0x04130A, Bytes{4, 5}},
      {"new library: the same is past the block", 2, 3u << 16, 0x04130B, std::nullopt},
      {"old library: a small offset stays", 1, 5, 0x04130A, Bytes{6}},
  };
  for (const Case& c : cases) {
    const auto icon = decode_icon_entry(entry("winmin", c.length, c.offset), block, c.version);
    if (!c.data) {
      ASSERT_FALSE(icon.ok()) << c.what;
      EXPECT_EQ(ParseError::kBadRecord, icon.error().code) << c.what;
      EXPECT_NE(std::string::npos, icon.error().message.find("winmin")) << c.what;
      continue;
    }
    ASSERT_TRUE(icon.ok()) << c.what << ": " << icon.error().message;
    EXPECT_EQ("winmin", icon->name) << c.what;
    EXPECT_EQ(*c.data, icon->data) << c.what;
  }
  // An entry shorter than its form, and a name that fills its field without a terminator.
  EXPECT_EQ(ParseError::kTruncated,
            decode_icon_entry(Bytes(kIconEntrySize - 1, 0), block, 0x050000).error().code);
  const auto long_name =
      decode_icon_entry(entry(std::string(kIconNameSize, 'n'), 1, 0), block, 0x050000);
  ASSERT_TRUE(long_name.ok());
  EXPECT_EQ(std::string(kIconNameSize - 1, 'n'), long_name->name);
}

}  // namespace
}  // namespace kovw::protocol
