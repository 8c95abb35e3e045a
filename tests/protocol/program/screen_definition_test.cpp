#include "protocol/program/screen_definition.h"

#include <gtest/gtest.h>

#include "net/fields.h"
#include "net/link_names.h"
#include "payload_bytes.h"

namespace kovw::protocol {
namespace {

using namespace testing;

// Items 1 to 8 of a screen definition with `menu_count` records announced.
Bytes head(std::int32_t mode_and_style, std::int32_t menu_count, std::string_view title = "T") {
  return cat({int4(mode_and_style), int4(640), int4(480), int4(10), int4(20), int4(12),
              int4(menu_count), int1('2'), int4(7), int4(8), str("Courier New"), str(title)});
}

Bytes menu_record(std::uint8_t old_command, std::uint16_t kind) {
  Bytes record(kMenuItemRecordSize, 0);
  record[0] = 'O';
  record[1] = 'K';
  record[kMenuOldCommandOffset] = old_command;
  record[kMenuKindOffset] = static_cast<std::uint8_t>(kind);
  record[kMenuKindOffset + 1] = static_cast<std::uint8_t>(kind >> 8);
  return record;
}

// An icon record of the first form: name, 16-bit length, data.
Bytes first_form_icon(std::string_view name, const Bytes& data, std::size_t size) {
  Bytes record(size, 0);
  std::copy(name.begin(), name.end(), record.begin());
  record[32] = static_cast<std::uint8_t>(data.size());
  record[33] = static_cast<std::uint8_t>(data.size() >> 8);
  std::copy(data.begin(), data.end(), record.begin() + 34);
  return record;
}

// An icon record of the second form: name, 16-bit length, 32-bit offset at 36.
Bytes second_form_icon(std::string_view name, std::uint16_t length, std::uint32_t offset) {
  Bytes record(kIconSecondFormSize, 0);
  std::copy(name.begin(), name.end(), record.begin());
  record[32] = static_cast<std::uint8_t>(length);
  record[33] = static_cast<std::uint8_t>(length >> 8);
  for (int i = 0; i < 4; ++i) record[36 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
  return record;
}

TEST(ScreenDefinition, PlainTextScreenOfAnOldHost) {
  const auto screen = parse_screen_definition(head(0x100, 0), 0x020400);
  ASSERT_TRUE(screen.ok()) << screen.error().message;
  EXPECT_EQ(screen->screen_mode(), 0);
  EXPECT_TRUE(screen->has_style(kStyleNoCaret));
  EXPECT_EQ(screen->width, 640);
  EXPECT_EQ(screen->y, 20);
  EXPECT_EQ(screen->font_name, "Courier New");
  EXPECT_EQ(screen->frame_values[1], 8);
  EXPECT_EQ(screen->language(), 0);  // the digit counts from 0x040607
  EXPECT_EQ(screen->option_chars, (std::array<char, 3>{' ', ' ', ' '}));
  EXPECT_EQ(screen->screen_options, default_screen_options());
  EXPECT_EQ(screen->screen_options[0], 6);
  EXPECT_EQ(screen->screen_options[3], 10);
  EXPECT_FALSE(screen->icon_sizes);
  EXPECT_EQ(parse_screen_definition(head(0, 0), 0x040607)->language(), 2);
}

TEST(ScreenDefinition, Utf8TitleByStyleBit18) {
  const auto screen = parse_screen_definition(head(kStyleUtf8Title | 1, 0, "\xC3\xA4"), 0x060000);
  ASSERT_TRUE(screen.ok());
  EXPECT_EQ(screen->screen_mode(), 1);
  EXPECT_EQ(screen->wide_title(), u"\u00e4");
  EXPECT_EQ(parse_screen_definition(head(1, 0, "\xE4"), 0x060000)->wide_title(), u"\u00e4");
}

TEST(ScreenDefinition, OldHostsCommandByteBecomesTheKindWord) {
  const Bytes records = cat({menu_record(42, 0), menu_record(7, 0x0105)});
  const Bytes payload = cat({head(0, 2), field(records)});
  const auto old_host = parse_screen_definition(payload, 0x04180D);
  ASSERT_TRUE(old_host.ok());
  ASSERT_EQ(old_host->menu_items.size(), 2u);
  EXPECT_EQ(le16(old_host->menu_items[0].data() + kMenuKindOffset), 42);
  EXPECT_EQ(le16(old_host->menu_items[1].data() + kMenuKindOffset), 7);
  const auto new_host = parse_screen_definition(payload, 0x04180E);
  ASSERT_TRUE(new_host.ok());
  EXPECT_EQ(le16(new_host->menu_items[1].data() + kMenuKindOffset), 0x0105);
  EXPECT_EQ(new_host->menu_items[0][0], 'O');
}

TEST(ScreenDefinition, MenuCountBeyondThePayloadFails) {
  const Bytes one = menu_record(1, 1);
  for (const std::int32_t count : {2, -1, 0x7fffffff}) {
    const auto screen = parse_screen_definition(cat({head(0, count), field(one)}), 0x060000);
    ASSERT_FALSE(screen.ok()) << count;
    EXPECT_EQ(screen.error().code, ParseError::kCountTooLarge);
  }
  // Announced records but no field at all.
  EXPECT_EQ(parse_screen_definition(head(0, 1), 0x060000).error().code, ParseError::kTruncated);
}

TEST(ScreenDefinition, MenuCountAboveTheCapFailsEvenWhenTheRecordsAreThere) {
  Bytes records;
  for (std::int32_t i = 0; i <= kMaxMenuItems; ++i) {
    const Bytes one = menu_record(1, 1);
    records.insert(records.end(), one.begin(), one.end());
  }
  // A field this long needs the long length form.
  auto long_field = [](const Bytes& data) {
    Bytes out;
    net::put_bytes_field(out, data.data(), data.size());
    return out;
  };
  const auto over =
      parse_screen_definition(cat({head(0, kMaxMenuItems + 1), long_field(records)}), 0x060000);
  ASSERT_FALSE(over.ok());
  EXPECT_EQ(over.error().code, ParseError::kCountTooLarge);
  records.resize(records.size() - kMenuItemRecordSize);
  const auto at_cap =
      parse_screen_definition(cat({head(0, kMaxMenuItems), long_field(records)}), 0x060000);
  ASSERT_TRUE(at_cap.ok()) << at_cap.error().message;
  EXPECT_EQ(at_cap.value().menu_items.size(), static_cast<std::size_t>(kMaxMenuItems));
}

TEST(ScreenDefinition, IconsOfTheFirstForm) {
  const Bytes records = cat({first_form_icon("save", {1, 2, 3}, kIconFirstFormSize),
                             first_form_icon("open", {}, kIconFirstFormSize)});
  const Bytes payload = cat({head(kStyleIconsFirstForm, 0), int4(2), int4(808), field(records)});
  const auto screen = parse_screen_definition(payload, 0x040E00);
  ASSERT_TRUE(screen.ok()) << screen.error().message;
  EXPECT_EQ(screen->icons, (std::vector<HostIcon>{{"save", {1, 2, 3}}, {"open", {}}}));
  // Shorter records are accepted when their data lies inside them.
  const auto short_records =
      parse_screen_definition(cat({head(kStyleIconsFirstForm, 0), int4(1), int4(40),
                                   field(first_form_icon("x", {9, 9}, 40))}),
                              0x040E00);
  ASSERT_TRUE(short_records.ok());
  EXPECT_EQ(short_records->icons[0].data, (Bytes{9, 9}));
}

TEST(ScreenDefinition, FirstFormRecordsThatLie) {
  // The data length names more bytes than the record holds.
  Bytes lying = first_form_icon("x", {1}, 40);
  lying[32] = 10;
  EXPECT_EQ(parse_screen_definition(
                cat({head(kStyleIconsFirstForm, 0), int4(1), int4(40), field(lying)}), 0x040E00)
                .error()
                .code,
            ParseError::kBadRecord);
  // More data than an 808-byte slot holds.
  Bytes big = first_form_icon("x", {}, 900);
  big[32] = 775 & 0xff;  // 34 + 775 bytes do not fit into the slot
  big[33] = 775 >> 8;
  EXPECT_EQ(parse_screen_definition(
                cat({head(kStyleIconsFirstForm, 0), int4(1), int4(900), field(big)}), 0x040E00)
                .error()
                .code,
            ParseError::kBadRecord);
  // Three records announced, two present.
  EXPECT_EQ(
      parse_screen_definition(
          cat({head(kStyleIconsFirstForm, 0), int4(3), int4(40), field(Bytes(80, 0))}), 0x040E00)
          .error()
          .code,
      ParseError::kCountTooLarge);
}

TEST(ScreenDefinition, IconsOfTheSecondForm) {
  const Bytes block{0xA, 0xB, 0xC, 0xD, 0xE};
  const Bytes records = cat({second_form_icon("left", 2, 0), second_form_icon("right", 3, 2)});
  const Bytes payload = cat(
      {head(kStyleIconsSecondForm, 0), int4(2), int4(40), int4(5), field(records), field(block)});
  const auto screen = parse_screen_definition(payload, 0x050000);
  ASSERT_TRUE(screen.ok()) << screen.error().message;
  EXPECT_EQ(screen->icons,
            (std::vector<HostIcon>{{"left", {0xA, 0xB}}, {"right", {0xC, 0xD, 0xE}}}));
}

TEST(ScreenDefinition, SecondFormOffsetsAreChecked) {
  auto parse = [](const Bytes& record, std::int32_t version, std::size_t block_size = 5) {
    return parse_screen_definition(cat({head(kStyleIconsSecondForm, 0), int4(1), int4(40),
                                        int4(static_cast<std::int32_t>(block_size)), field(record),
                                        field(Bytes(block_size, 1))}),
                                   version);
  };
  EXPECT_EQ(parse(second_form_icon("x", 3, 3), 0x050000).error().code, ParseError::kBadRecord);
  EXPECT_EQ(parse(second_form_icon("x", 1, 0xffffffff), 0x050000).error().code,
            ParseError::kBadRecord);
  // Old host libraries send the offset in the high 16 bits.
  EXPECT_TRUE(parse(second_form_icon("x", 1, 4u << 16), 0x04130A).ok());
  EXPECT_FALSE(parse(second_form_icon("x", 1, 4u << 16), 0x04130B).ok());
  // A data block shorter than its announced length.
  EXPECT_EQ(parse_screen_definition(cat({head(kStyleIconsSecondForm, 0), int4(0), int4(40),
                                         int4(10), field({}), field(Bytes(5, 0))}),
                                    0x050000)
                .error()
                .code,
            ParseError::kCountTooLarge);
}

TEST(ScreenDefinition, RecordsEndingAtTheirZeroByte) {
  // Record size 0: each record ends at its first zero byte; the rest of the slot is blanks,
  // so a record without room for its length member is refused.
  const Bytes records{'a', 'b', 0};
  const auto screen = parse_screen_definition(
      cat({head(kStyleIconsFirstForm, 0), int4(1), int4(0), field(records)}), 0x050000);
  ASSERT_FALSE(screen.ok());
  EXPECT_EQ(screen.error().code, ParseError::kBadRecord);
  const auto no_zero = parse_screen_definition(
      cat({head(kStyleIconsFirstForm, 0), int4(1), int4(0), field({'a'})}), 0x050000);
  EXPECT_EQ(no_zero.error().code, ParseError::kBadRecord);
}

TEST(ScreenDefinition, TailItemsRoundTripThroughTheBuilder) {
  ScreenDefinition screen;
  screen.mode_and_style = 2 | kStyleIconsSecondForm;
  screen.width = 800;
  screen.height = 600;
  screen.font_size = 10;
  screen.language_digit = '1';
  screen.font_name = "Arial";
  screen.title = "Titel";
  screen.menu_items.resize(1);
  screen.menu_items[0][0] = 'X';
  screen.icons = {{"a", {1, 2}}, {"b", {3}}};
  screen.option_chars = {'J', 'N', 'J'};
  screen.screen_options[5] = 0x55;
  screen.icon_sizes = std::array<std::int32_t, 2>{16, 32};
  screen.extended_options = "opt";
  for (const int service : {net::KWD_WIN, net::KWD_LIST, net::KWD_DIMEN}) {
    const Outgoing out = build_screen_definition(screen, 0x060B00, service, 1);
    EXPECT_EQ(out.service, service);
    const auto parsed = parse_screen_definition(out.payload, 0x060B00);
    ASSERT_TRUE(parsed.ok()) << parsed.error().message;
    EXPECT_EQ(parsed->icons, screen.icons);
    EXPECT_EQ(parsed->menu_items, screen.menu_items);
    EXPECT_EQ(parsed->option_chars, screen.option_chars);
    EXPECT_EQ(parsed->screen_options, screen.screen_options);
    EXPECT_EQ(parsed->icon_sizes, screen.icon_sizes);
    EXPECT_EQ(parsed->extended_options, "opt");
    EXPECT_EQ(parsed->language(), 1);
  }
  // A host below 0x040505 sends neither the option record nor the later items.
  const Outgoing old = build_screen_definition(screen, 0x030D06, net::KWD_WIN, 1);
  const auto parsed_old = parse_screen_definition(old.payload, 0x030D06);
  ASSERT_TRUE(parsed_old.ok());
  EXPECT_EQ(parsed_old->option_chars, screen.option_chars);
  EXPECT_EQ(parsed_old->screen_options, default_screen_options());
  EXPECT_FALSE(parsed_old->icon_sizes);
}

// Hosts below 0x030D06 send no optional tail, so every cut removes a required item.
TEST(ScreenDefinition, EveryCutPayloadFailsCleanly) {
  ScreenDefinition screen;
  screen.mode_and_style = kStyleIconsFirstForm;
  screen.menu_items.resize(2);
  screen.icons = {{"a", {1, 2, 3}}};
  const Outgoing out = build_screen_definition(screen, 0x020400, net::KWD_WIN, 1);
  ASSERT_TRUE(parse_screen_definition(out.payload, 0x020400).ok());
  for (std::size_t cut = 0; cut < out.payload.size(); ++cut) {
    const Bytes prefix(out.payload.begin(), out.payload.begin() + static_cast<long>(cut));
    EXPECT_FALSE(parse_screen_definition(prefix, 0x020400).ok()) << cut;
  }
}

}  // namespace
}  // namespace kovw::protocol
