// The edit area's request record, its line ends and its limits.

#include "dialogs/edit_area.h"

#include <gtest/gtest.h>

#include <vector>

namespace kovw::dialogs {
namespace {

std::vector<std::uint8_t> record(int capacity, int max_length, int flags) {
  std::vector<std::uint8_t> bytes(28, 0);
  bytes[2] = static_cast<std::uint8_t>(capacity & 0xFF);
  bytes[3] = static_cast<std::uint8_t>(capacity >> 8);
  bytes[4] = static_cast<std::uint8_t>(max_length & 0xFF);
  bytes[5] = static_cast<std::uint8_t>(max_length >> 8);
  bytes[8] = 3;    // column
  bytes[12] = 4;   // row
  bytes[16] = 5;   // rows
  bytes[20] = 30;  // columns
  bytes[26] = static_cast<std::uint8_t>(flags);
  return bytes;
}

TEST(EditAreaTest, TheRecordAndItsDefaults) {
  const auto area = decode_edit_request(record(100, 0, 0x50));
  ASSERT_TRUE(area);
  EXPECT_EQ(100, area->text_capacity);
  EXPECT_EQ(kDefaultEditLength, area->max_length);
  EXPECT_EQ(3, area->column);
  EXPECT_EQ(4, area->row);
  EXPECT_EQ(5, area->rows);
  EXPECT_EQ(30, area->columns);
  EXPECT_EQ(kEditProgrammer | kEditUtf8, area->edit_flags);
  EXPECT_FALSE(decode_edit_request(std::vector<std::uint8_t>(27, 0)));
}

TEST(EditAreaTest, LineEndsAreLfInsideAndCrLfOnTheWire) {
  const EditArea area = *decode_edit_request(record(100, 50, 0));
  // A lone LF, a lone CR and a CR LF are each one line end.
  EXPECT_EQ(u"a\nb\nc\nd", edit_text_from_host("a\nb\rc\r\nd", area, 0));
  EXPECT_EQ("a\r\nb", edit_text_to_host(u"a\nb", area, 0));
  // Unchanged text goes back as the host sent it in CR LF form.
  EXPECT_EQ("a\r\nb", edit_text_to_host(edit_text_from_host("a\nb", area, 0), area, 0));
}

TEST(EditAreaTest, LimitsBoundTheTextAndTheReply) {
  // The text is cut at its capacity and at the maximum length in characters.
  const EditArea short_area = *decode_edit_request(record(4, 3, 0));
  EXPECT_EQ(u"abc", edit_text_from_host("abcdef", short_area, 0));
  // UTF-8 areas convert both ways.
  const EditArea utf8 = *decode_edit_request(record(10, 10, kEditUtf8));
  EXPECT_EQ(u"\u00e4\n", edit_text_from_host("\xC3\xA4\r\n", utf8, 0));
  EXPECT_EQ("\xC3\xA4\r\n", edit_text_to_host(u"\u00e4\n", utf8, 0));
  // The reply never exceeds what its length field holds, and never splits a line end.
  const EditArea big = *decode_edit_request(record(100, 65535, 0));
  const std::u16string lines(40000, u'\n');
  const std::string wire = edit_text_to_host(lines, big, 0);
  EXPECT_LE(wire.size(), kMaxEditReplyBytes);
  EXPECT_EQ('\n', wire.back());
}

}  // namespace
}  // namespace kovw::dialogs
