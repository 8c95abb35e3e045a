#include "dialogs/icon_view_model.h"

#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/list_dialog_form.h"
#include "foundation/host_text.h"
#include "protocol/little_endian.h"

namespace kovw::dialogs {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Folder {
  std::int32_t value;
  std::uint8_t flags;
  const char* label;
};

Bytes tree(const std::vector<Folder>& folders, std::uint32_t header_flags = 0) {
  Bytes bytes(64 + folders.size() * 136, 0);
  protocol::put_le32(bytes.data(), static_cast<std::uint32_t>(folders.size()));
  protocol::put_le32(bytes.data() + 4, header_flags);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    std::uint8_t* at = bytes.data() + 64 + i * 136;
    protocol::put_le32(at, static_cast<std::uint32_t>(folders[i].value));
    at[4] = folders[i].flags;
    std::memcpy(at + 7, folders[i].label, std::strlen(folders[i].label));
  }
  return bytes;
}

struct Entry {
  std::int32_t number;
  std::uint8_t icon;
  std::string texts;  // zero bytes between the texts
  const char* icon_name;
  std::int32_t value;
};

Bytes list(const std::vector<Entry>& entries, std::uint8_t columns, Bytes widths = {},
           std::uint8_t flags = 0, std::string titles = {}) {
  Bytes bytes(720 + entries.size() * 516, 0);
  protocol::put_le32(bytes.data(), static_cast<std::uint32_t>(entries.size()));
  protocol::put_le32(bytes.data() + 4, 7);
  std::memcpy(bytes.data() + 64, "Files", 5);
  std::memcpy(bytes.data() + 192, titles.data(), titles.size());
  bytes[701] = flags;
  bytes[703] = columns;
  std::copy(widths.begin(), widths.end(), bytes.begin() + 704);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::uint8_t* at = bytes.data() + 720 + i * 516;
    protocol::put_le32(at, static_cast<std::uint32_t>(entries[i].number));
    at[4] = entries[i].icon;
    std::memcpy(at + 5, entries[i].texts.data(), entries[i].texts.size());
    std::memcpy(at + 476, entries[i].icon_name, std::strlen(entries[i].icon_name));
    protocol::put_le32(at + 512, static_cast<std::uint32_t>(entries[i].value));
  }
  return bytes;
}

TEST(TreeDefinition, LevelsMakeParents) {
  // Levels 0, 1, 1, 2, 0: two roots, the first with two children, the second child with one.
  const auto parsed = parse_tree_definition(tree(
      {{10, 0x40, "A"}, {11, 1, "A1"}, {12, 1 | 0x20, "A2"}, {13, 2 | 0x80, "A2a"}, {20, 0, "B"}}));
  ASSERT_TRUE(parsed);
  std::vector<int> parents;
  for (const auto& folder : parsed->folders) parents.push_back(folder.parent);
  EXPECT_EQ(parents, (std::vector<int>{-1, 0, 0, 2, -1}));
  EXPECT_EQ(parsed->folders[3].label, u"A2a");
  EXPECT_EQ(parsed->folders[3].flags & kFolderReported, kFolderReported);
  EXPECT_TRUE(parsed->notes.empty());
}

TEST(TreeDefinition, LevelJumpHangsBelowNearestLevelAndIsNoted) {
  // 0, 2: no folder at level 1; 0, 1, 0, 2: the level-1 folder belongs to the first root.
  const auto jump = parse_tree_definition(
      tree({{1, 0, "A"}, {2, 2, "deep"}, {3, 1, "A1"}, {4, 0, "B"}, {5, 2, "B?"}}));
  ASSERT_TRUE(jump);
  EXPECT_EQ(jump->folders[1].parent, 0);
  EXPECT_EQ(jump->folders[1].level, 1);
  EXPECT_EQ(jump->folders[4].parent, 3);
  EXPECT_EQ(jump->notes.size(), 2u);
  // A first entry below the root goes to the root.
  const auto first = parse_tree_definition(tree({{1, 3, "x"}}));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->folders[0].parent, -1);
}

TEST(TreeDefinition, TextsAndMalformedCounts) {
  const auto utf8 = parse_tree_definition(tree({{1, 0, "\xc3\xa4rger"}}, 1));
  ASSERT_TRUE(utf8);
  EXPECT_EQ(utf8->folders[0].label, u"\u00e4rger");
  const auto ansi = parse_tree_definition(tree({{1, 0, "\xe4rger"}}));
  EXPECT_EQ(ansi->folders[0].label, u"\u00e4rger");
  // A label without terminator ends with its record.
  Bytes unterminated = tree({{1, 0, ""}});
  std::memset(unterminated.data() + 64 + 7, 'x', 129);
  EXPECT_EQ(parse_tree_definition(unterminated)->folders[0].label.size(), 129u);

  Bytes more = tree({{1, 0, "a"}});
  protocol::put_le32(more.data(), 2);
  EXPECT_FALSE(parse_tree_definition(more));
  protocol::put_le32(more.data(), 0xFFFFFFFF);
  EXPECT_FALSE(parse_tree_definition(more));
  EXPECT_FALSE(parse_tree_definition(Bytes(63, 0)));
}

TEST(ListDefinition, HeaderEntriesAndTip) {
  using namespace std::string_literals;
  const Bytes bytes = list({{5, 0,
                             "a.txt\0"
                             "12 KB\0"
                             "tip\0"
                             "text"s,
                             "doc", 500},
                            {6, 3,
                             "b\0"
                             "1\0"
                             "\0"
                             "x"s,
                             "", 600}},
                           3, {1, 1, 2}, 0x82, "Name\0Size\0Kind"s);
  const auto old_host = parse_list_definition(bytes, 0x041A16);
  ASSERT_TRUE(old_host);
  EXPECT_EQ(old_host->list_number, 7);
  EXPECT_EQ(old_host->title, u"Files");
  EXPECT_TRUE(old_host->utf8);
  EXPECT_EQ(old_host->view_mode, kModeDetails);
  EXPECT_EQ(old_host->column_titles, (std::vector<std::u16string>{u"Name", u"Size", u"Kind"}));
  EXPECT_EQ(old_host->entries[0].texts, (std::vector<std::u16string>{u"a.txt", u"12 KB", u"tip"}));
  EXPECT_EQ(old_host->entries[0].icon_name, "doc");
  EXPECT_EQ(old_host->entries[0].value, 500);
  EXPECT_EQ(first_marked_entry(*old_host), 1);

  const auto new_host = parse_list_definition(bytes, 0x041A17);
  EXPECT_EQ(new_host->entries[0].texts, (std::vector<std::u16string>{u"a.txt", u"12 KB", u"text"}));
  EXPECT_EQ(new_host->entries[0].tip, u"tip");
  EXPECT_EQ(new_host->entries[1].texts[2], u"x");
}

TEST(ListDefinition, RefusesWhatItCannotHold) {
  EXPECT_FALSE(parse_list_definition(Bytes(719, 0), 0));
  Bytes columns = list({}, 17);
  EXPECT_FALSE(parse_list_definition(columns, 0));
  columns[703] = 16;
  EXPECT_TRUE(parse_list_definition(columns, 0));
  Bytes count = list({{1, 0, "a", "", 1}}, 1);
  protocol::put_le32(count.data(), 2);
  EXPECT_FALSE(parse_list_definition(count, 0));
  // No columns: the entry still has its first two texts.
  const auto none = parse_list_definition(list({{1, 0, std::string("a\0b", 3), "", 1}}, 0), 0);
  ASSERT_TRUE(none);
  EXPECT_EQ(none->entries[0].texts, (std::vector<std::u16string>{u"a", u"b"}));
}

TEST(ColumnWidths, SharesAndFixedBytes) {
  struct Case {
    Bytes widths;
    int width, scroll;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {{1, 1, 2}, 400, 16, {96, 96, 192}},
      {{0, 0, 0}, 400, 16, {128, 128, 128}},  // shares summing to 0
      {{0x80 | 20, 30, 200}, 400, 16, {148, 30, 200}},
      {{1}, 10, 16, {0}},
      {{}, 400, 16, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(column_widths(c.widths, c.width, c.scroll), c.expected);
}

TEST(IconHostName, StaysInItsFolder) {
  EXPECT_EQ(icon_host_name("disk"), "HW/kovw/icon/disk.ico");
  EXPECT_EQ(icon_host_name("disk.ICO"), "HW/kovw/icon/disk.ICO");
  EXPECT_EQ(icon_host_name("myico"), "HW/kovw/icon/myico");
  for (const char* bad : {"", "..", ".", "../x", "a/b", "a\\b", "C:x", "..\\..\\etc"})
    EXPECT_FALSE(icon_host_name(bad)) << bad;
}

TEST(ViewModeForKey, KeyBarCodes) {
  EXPECT_EQ(view_mode_for_key(1002), kModeSmallIcons);
  EXPECT_EQ(view_mode_for_key(1003), kModeLargeIcons);
  EXPECT_EQ(view_mode_for_key(1004), kModeList);
  EXPECT_EQ(view_mode_for_key(1005), kModeDetails);
  EXPECT_FALSE(view_mode_for_key(1000));
}

protocol::ListDialog dialog_of(const std::vector<std::pair<std::uint16_t, std::uint16_t>>& fields,
                               Bytes data) {
  protocol::ListDialog dialog;
  dialog.header.assign(144, 0);
  std::memcpy(dialog.header.data() + 16, "Address", 7);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    Bytes record(136, 0);
    record[0] = static_cast<std::uint8_t>('A' + i);
    protocol::put_le16(record.data() + 128, fields[i].first);
    protocol::put_le16(record.data() + 130, fields[i].second);
    dialog.fields.push_back(record);
  }
  Bytes ok(130, 0);
  std::memcpy(ok.data(), "OK", 2);
  protocol::put_le16(ok.data() + 128, 1);
  dialog.buttons.push_back(ok);
  dialog.data = std::move(data);
  return dialog;
}

TEST(ListDialogForm, PresetsAndWritesBackIntoItsField) {
  const std::string block = "Meier     Bonn  ##";
  ListDialogForm form =
      list_dialog_form(dialog_of({{10, 0}, {6, 10}}, Bytes(block.begin(), block.end())), 0);
  EXPECT_EQ(form.title, u"Address");
  ASSERT_EQ(form.fields.size(), 2u);
  EXPECT_EQ(form.fields[0].value, u"Meier");
  EXPECT_EQ(form.fields[1].value, u"Bonn");
  EXPECT_EQ(form.buttons[0].code, 1);
  write_field(form, 0, u"M\u00fcller-L\u00fcdenscheid");
  write_field(form, 1, u"K\u00f6ln");
  write_field(form, 5, u"nothing");
  EXPECT_EQ(std::string(form.data.begin(), form.data.end()),
            "M\xfcller-L\xfc"
            "dK\xf6ln  ##");
  EXPECT_EQ(form.fields[0].value, u"M\u00fcller-L\u00fcd");
  // UTF-8 texts are cut at whole characters.
  ListDialogForm utf8 = list_dialog_form(dialog_of({{3, 0}}, Bytes(3, ' ')), foundation::kTextUtf8);
  write_field(utf8, 0, u"a\u00e4\u00e4");
  EXPECT_EQ(std::string(utf8.data.begin(), utf8.data.end()), "a\xc3\xa4");
}

}  // namespace
}  // namespace kovw::dialogs
