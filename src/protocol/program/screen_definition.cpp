#include "protocol/program/screen_definition.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "foundation/host_text.h"
#include "net/fields.h"
#include "protocol/payload_codec.h"
#include "protocol/program/host_versions.h"

namespace kovw::protocol {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Icon data a definition may carry in all (a shared data block may be named by several icon
// records; this bounds what the copies can cost).
constexpr std::size_t kMaxIconDataTotal = 16u << 20;

// One icon record as it arrived, copied into a blank-padded slot of the form's size.
struct IconSlot {
  Bytes bytes;               // slot_size bytes
  std::size_t received = 0;  // bytes that came from the wire (the rest are blanks)
};

// Walks an icon record group: each record is copied into one reused slot and handed to
// `take`, which returns false to stop. `record_size` 0 means each record ends at its first
// zero byte. Fails `in` when the records do not fit into `data`.
template <class Take>
void for_each_icon_record(PayloadReader& in, std::span<const std::uint8_t> data, std::int32_t count,
                          std::int32_t record_size, std::size_t slot_size, Take take) {
  if (!in.ok()) return;
  if (count < 0 || record_size < 0) {
    in.fail(ParseError::kCountTooLarge, "negative icon count or record size");
    return;
  }
  // Every record takes at least one byte of the field.
  if (static_cast<std::size_t>(count) > data.size() && count > 0) {
    in.fail(ParseError::kCountTooLarge,
            std::to_string(count) + " icon records in " + std::to_string(data.size()) + " bytes");
    return;
  }
  IconSlot slot;
  std::size_t position = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    std::size_t length = static_cast<std::size_t>(record_size);
    if (record_size == 0) {
      const void* zero = std::memchr(data.data() + position, 0, data.size() - position);
      if (!zero) {
        in.fail(ParseError::kBadRecord, "icon record without its ending zero byte");
        return;
      }
      length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data.data()) -
               position + 1;
    }
    slot.bytes.assign(slot_size, ' ');
    slot.received = std::min(length, slot_size);
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(position), slot.received,
                slot.bytes.begin());
    if (!take(slot)) return;
    position += length;
  }
}

void read_first_form(PayloadReader& in, ScreenDefinition& screen, std::size_t& total) {
  const std::int32_t count = in.int_field("icon count");
  const std::int32_t record_size = in.int_field("icon record size");
  const auto data = record_size > 0
                        ? in.records("icon records", count, static_cast<std::size_t>(record_size))
                        : in.bytes("icon records");
  for_each_icon_record(in, data, count, record_size, kIconFirstFormSize, [&](const IconSlot& slot) {
    const std::size_t length = le16(slot.bytes.data() + kIconNameSize);
    if (kIconFirstFormDataOffset + length > slot.received) {
      in.fail(ParseError::kBadRecord,
              "icon data of " + std::to_string(length) + " bytes runs past its record");
      return false;
    }
    total += length;
    if (total > kMaxIconDataTotal) {
      in.fail(ParseError::kBadRecord, "too much icon data");
      return false;
    }
    const auto begin = slot.bytes.begin() + kIconFirstFormDataOffset;
    screen.icons.push_back(HostIcon{icon_record_name(slot.bytes), Bytes(begin, begin + length)});
    return true;
  });
}

void read_second_form(PayloadReader& in, ScreenDefinition& screen, std::int32_t host_version,
                      std::size_t& total) {
  const std::int32_t count = in.int_field("icon count");
  const std::int32_t record_size = in.int_field("icon record size");
  const std::int32_t data_length = in.int_field("icon data length");
  const auto records =
      record_size > 0 ? in.records("icon records", count, static_cast<std::size_t>(record_size))
                      : in.bytes("icon records");
  const auto block = in.records("icon data", data_length, 1);
  for_each_icon_record(in, records, count, record_size, kIconSecondFormSize,
                       [&](const IconSlot& slot) {
                         auto icon = decode_icon_entry(slot.bytes, block, host_version);
                         if (!icon) {
                           in.fail(icon.error().code, icon.error().message);
                           return false;
                         }
                         const std::size_t length = icon->data.size();
                         total += length;
                         if (total > kMaxIconDataTotal) {
                           in.fail(ParseError::kBadRecord, "too much icon data");
                           return false;
                         }
                         screen.icons.push_back(std::move(*icon));
                         return true;
                       });
}

}  // namespace

int ScreenDefinition::language() const {
  return language_digit >= '1' && language_digit <= '9' ? language_digit - '0' : 0;
}

std::u16string ScreenDefinition::wide_title() const {
  return foundation::host_to_wide(title, has_style(kStyleUtf8Title) ? foundation::kTextUtf8 : 0);
}

std::array<std::uint8_t, kScreenOptionRecordSize> default_screen_options() {
  std::array<std::uint8_t, kScreenOptionRecordSize> record{};
  record[0] = 6;
  record[3] = 10;
  return record;
}

Result<ScreenDefinition> parse_screen_definition(std::span<const std::uint8_t> payload,
                                                 std::int32_t host_version) {
  PayloadReader in(payload, "screen definition");
  ScreenDefinition screen;
  screen.mode_and_style = in.int_field("screen mode");
  screen.width = in.int_field("width");
  screen.height = in.int_field("height");
  screen.x = in.int_field("x");
  screen.y = in.int_field("y");
  screen.font_size = in.int_field("font size");
  const std::int32_t menu_count = in.int_field("menu item count");
  const std::int32_t language = in.int_field("language digit");
  if (host_version >= kVersionLanguageDigit) screen.language_digit = language;
  screen.frame_values[0] = in.int_field("frame value 1");
  screen.frame_values[1] = in.int_field("frame value 2");
  screen.font_name = in.text("font name");
  screen.title = in.text("title");
  if (in.ok() && menu_count < 0) in.fail(ParseError::kCountTooLarge, "negative menu item count");
  if (in.ok() && menu_count > kMaxMenuItems)
    in.fail(ParseError::kCountTooLarge, std::to_string(menu_count) + " menu items (at most " +
                                            std::to_string(kMaxMenuItems) + ")");
  if (menu_count > 0) {
    screen.menu_items = split_menu_records(
        in.records("menu item records", menu_count, kMenuItemRecordSize), host_version);
  }
  std::size_t icon_total = 0;
  if (screen.has_style(kStyleIconsFirstForm)) read_first_form(in, screen, icon_total);
  if (screen.has_style(kStyleIconsSecondForm))
    read_second_form(in, screen, host_version, icon_total);

  screen.screen_options = default_screen_options();
  if (host_version >= kVersionOptionChars && in.more()) {
    const auto first = in.bytes("option character 1");
    const auto second = in.bytes("option characters 2 and 3");
    if (!first.empty()) screen.option_chars[0] = static_cast<char>(first[0]);
    for (std::size_t i = 0; i < 2 && i < second.size(); ++i)
      screen.option_chars[i + 1] = static_cast<char>(second[i]);
  }
  if (host_version >= kVersionScreenOptions && in.more()) {
    const auto record = in.record("screen option record", kScreenOptionRecordSize);
    if (in.ok()) std::copy(record.begin(), record.end(), screen.screen_options.begin());
  }
  if (host_version >= kVersionIconSizes && in.more()) {
    const std::int32_t first = in.int_field("minimum icon size");
    const std::int32_t second = in.int_field("second icon value");
    screen.icon_sizes = std::array<std::int32_t, 2>{first, second};
  }
  if (host_version >= kVersionExtendedOptions && in.more())
    screen.extended_options = in.text("extended program options");
  return in.finish(std::move(screen));
}

Outgoing build_screen_definition(const ScreenDefinition& screen, std::int32_t host_version,
                                 int service, int type) {
  Outgoing out{service, type, {}};
  PayloadWriter write(out.payload);
  for (const std::int32_t v :
       {screen.mode_and_style, screen.width, screen.height, screen.x, screen.y, screen.font_size})
    write.int_field(v);
  write.int_field(static_cast<std::int64_t>(screen.menu_items.size()));
  write.int_field(screen.language_digit, 1);
  write.int_field(screen.frame_values[0]);
  write.int_field(screen.frame_values[1]);
  write.text(screen.font_name);
  write.text(screen.title);
  if (!screen.menu_items.empty()) {
    Bytes records;
    for (const MenuItemRecord& record : screen.menu_items)
      records.insert(records.end(), record.begin(), record.end());
    write.bytes(records);
  }
  auto name_into = [](std::uint8_t* slot, const std::string& name) {
    std::memcpy(slot, name.data(), std::min(name.size(), kIconNameSize - 1));
  };
  if (screen.has_style(kStyleIconsFirstForm)) {
    write.int_field(static_cast<std::int64_t>(screen.icons.size()));
    write.int_field(kIconFirstFormSize);
    Bytes records(screen.icons.size() * kIconFirstFormSize, 0);
    for (std::size_t i = 0; i < screen.icons.size(); ++i) {
      std::uint8_t* slot = records.data() + i * kIconFirstFormSize;
      const HostIcon& icon = screen.icons[i];
      const std::size_t length =
          std::min(icon.data.size(), kIconFirstFormSize - kIconFirstFormDataOffset);
      name_into(slot, icon.name);
      put_le16(slot + kIconNameSize, static_cast<std::uint16_t>(length));
      std::copy_n(icon.data.begin(), length, slot + kIconFirstFormDataOffset);
    }
    write.bytes(records);
  }
  if (screen.has_style(kStyleIconsSecondForm)) {
    Bytes records(screen.icons.size() * kIconSecondFormSize, 0);
    Bytes block;
    for (std::size_t i = 0; i < screen.icons.size(); ++i) {
      std::uint8_t* slot = records.data() + i * kIconSecondFormSize;
      const HostIcon& icon = screen.icons[i];
      const std::size_t length = std::min<std::size_t>(icon.data.size(), 0xffff);
      name_into(slot, icon.name);
      put_le16(slot + kIconNameSize, static_cast<std::uint16_t>(length));
      put_le32(slot + 36, static_cast<std::uint32_t>(block.size()));
      block.insert(block.end(), icon.data.begin(), icon.data.begin() + length);
    }
    write.int_field(static_cast<std::int64_t>(screen.icons.size()));
    write.int_field(kIconSecondFormSize);
    write.int_field(static_cast<std::int64_t>(block.size()));
    write.bytes(records);
    write.bytes(block);
  }
  if (host_version >= kVersionOptionChars) {
    write.bytes(std::string_view(screen.option_chars.data(), 1));
    write.bytes(std::string_view(screen.option_chars.data() + 1, 2));
  }
  if (host_version >= kVersionScreenOptions) write.bytes(screen.screen_options);
  if (host_version >= kVersionIconSizes) {
    const auto sizes = screen.icon_sizes.value_or(std::array<std::int32_t, 2>{0, 0});
    write.int_field(sizes[0]);
    write.int_field(sizes[1]);
  }
  if (host_version >= kVersionExtendedOptions) write.text(screen.extended_options);
  return out;
}

}  // namespace kovw::protocol
