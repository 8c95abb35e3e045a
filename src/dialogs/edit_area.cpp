#include "dialogs/edit_area.h"

#include "foundation/host_text.h"
#include "protocol/little_endian.h"

namespace kovw::dialogs {

namespace {

std::int32_t le32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int32_t>(protocol::le32(bytes.data() + at));
}
std::uint16_t le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return protocol::le16(bytes.data() + at);
}

int conversion(const EditArea& area, int text_flags) {
  if (area.edit_flags & kEditUtf8) return foundation::kTextUtf8;
  return (text_flags & (foundation::kTextUtf8 | foundation::kTextMarker)) != 0
             ? foundation::kTextUtf8
             : 0;
}

}  // namespace

std::optional<EditArea> decode_edit_request(std::span<const std::uint8_t> record) {
  if (record.size() < 28) return std::nullopt;
  EditArea area;
  area.text_capacity = le16(record, 2);
  area.max_length = le16(record, 4);
  if (area.max_length == 0) area.max_length = kDefaultEditLength;
  area.column = le32(record, 8);
  area.row = le32(record, 12);
  area.rows = le32(record, 16);
  area.columns = le32(record, 20);
  area.edit_flags = le16(record, 26);
  return area;
}

std::u16string edit_text_from_host(std::string_view text, const EditArea& area, int text_flags) {
  if (text.size() > area.text_capacity) text = text.substr(0, area.text_capacity);
  // The text may end with its terminating zero.
  if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos)
    text = text.substr(0, zero);
  const std::u16string wide = foundation::host_to_wide(text, conversion(area, text_flags));
  std::u16string lines;
  lines.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (static_cast<int>(lines.size()) >= area.max_length) break;
    if (wide[i] == u'\r') {
      lines += u'\n';
      if (i + 1 < wide.size() && wide[i + 1] == u'\n') ++i;
    } else {
      lines += wide[i];
    }
  }
  return lines;
}

std::string edit_text_to_host(std::u16string_view text, const EditArea& area, int text_flags) {
  std::u16string wire;
  wire.reserve(text.size() + text.size() / 8);
  for (char16_t c : text) {
    if (c == u'\n') wire += u'\r';
    if (c != u'\r') wire += c;
  }
  std::string bytes(kMaxEditReplyBytes, '\0');
  const std::size_t written = foundation::wide_to_host(
      wire, std::span<char>(bytes.data(), bytes.size()), conversion(area, text_flags));
  bytes.resize(written);
  // A CR LF is never cut in half.
  if (!bytes.empty() && bytes.back() == '\r' && written == kMaxEditReplyBytes) bytes.pop_back();
  return bytes;
}

}  // namespace kovw::dialogs
