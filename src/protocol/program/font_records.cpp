#include "protocol/program/font_records.h"

#include <algorithm>
#include <cstring>

#include "protocol/program/host_requests.h"

namespace kovw::protocol {

namespace {

void put_le32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint32_t get_le32(const std::uint8_t* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}
std::string get_text(const std::uint8_t* at, std::size_t size) {
  const auto* begin = reinterpret_cast<const char*>(at);
  return std::string(begin, strnlen(begin, size));
}

}  // namespace

void append_font_record(std::vector<std::uint8_t>& out, const FontRecord& font) {
  const std::size_t start = out.size();
  out.resize(start + kFontRecordSize, 0);
  std::uint8_t* record = out.data() + start;
  std::copy_n(font.family.data(), std::min(font.family.size(), kFontRecordFamilySize - 1), record);
  std::copy_n(font.style.data(), std::min(font.style.size(), kFontRecordStyleSize - 1),
              record + kFontRecordFamilySize);
  put_le32(record + 96, static_cast<std::uint32_t>(font.weight));
  put_le32(record + 100, font.flags);
  put_le32(record + 104, static_cast<std::uint32_t>(font.character_set));
  put_le32(record + 108, font.scripts);
}

FontRecord read_font_record(const std::uint8_t* record) {
  FontRecord font;
  font.family = get_text(record, kFontRecordFamilySize);
  font.style = get_text(record + kFontRecordFamilySize, kFontRecordStyleSize);
  font.weight = static_cast<std::int32_t>(get_le32(record + 96));
  font.flags = get_le32(record + 100);
  font.character_set = static_cast<std::int32_t>(get_le32(record + 104));
  font.scripts = get_le32(record + 108);
  return font;
}

}  // namespace kovw::protocol
