#include "graphics/graphics_definition.h"

#include <algorithm>
#include <cstring>

#include "graphics/figure_style.h"
#include "net/fields.h"
#include "protocol/little_endian.h"
#include "protocol/payload_codec.h"

namespace kovw::graphics {

namespace {

constexpr std::int32_t kVersionNewDisplayRecord = 0x030D00;
constexpr std::int32_t kVersionExtendedSettings = 0x060B00;
constexpr std::int32_t kVersionElementData = 0x041001;
constexpr std::int32_t kVersionWideInputField = 0x060400;
constexpr int kInputFieldTag = 14;
constexpr int kOldInputFieldTag = 8;
constexpr std::size_t kOldInputFieldSize = 256;

struct Reader {
  net::FieldCursor at;
  DefinitionParse& out;

  // A tagged record of at most `size` bytes into `target` (resized to what came).
  bool tagged(int tag, std::size_t size, Bytes& target) {
    target.assign(size, 0);
    std::size_t length = 0;
    const long word = net::get_tagged_field(at, target, &length, tag);
    if (at.failed) {
      out.error = "definition runs past the payload";
      return false;
    }
    if (word < 0) {
      out.found_tag = static_cast<int>((-word) & 0x3FFF);
      out.expected_tag = tag;
      return false;
    }
    target.resize(length);
    return true;
  }
  bool integer(std::int32_t& value) {
    value = net::get_int_field(at);
    if (at.failed) out.error = "integer field runs past the payload";
    return !at.failed;
  }
  bool bytes(Bytes& value, std::size_t max) {
    const auto view = net::get_bytes_view(at);
    if (at.failed || view.size() > max) {
      out.error = "byte field runs past the payload or is too long";
      return false;
    }
    value.assign(view.begin(), view.end());
    return true;
  }
  bool count(std::int32_t& value, const char* what) {
    if (!integer(value)) return false;
    if (value < 0 || value > kDefinitionCountMax) {
      out.error = std::string("bad count of ") + what;
      return false;
    }
    return true;
  }
};

// `count` items of `length` bytes, each cut or padded with blanks to `size`.
Bytes items(std::span<const std::uint8_t> field, std::int32_t count, std::int32_t length,
            std::size_t size) {
  Bytes out;
  out.reserve(static_cast<std::size_t>(count) * size);
  for (std::int32_t i = 0; i < count; ++i) {
    const auto item = field.subspan(static_cast<std::size_t>(i) * length, length);
    const std::size_t n = std::min(item.size(), size);
    out.insert(out.end(), item.begin(), item.begin() + static_cast<std::ptrdiff_t>(n));
    out.insert(out.end(), size - n, ' ');
  }
  return out;
}

}  // namespace

WindowRecord::WindowRecord(std::span<const std::uint8_t> bytes) {
  bytes_.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), bytes_.size()), bytes_.begin());
}

std::int32_t WindowRecord::i16(std::size_t offset) const {
  return static_cast<std::int16_t>(protocol::le16(&bytes_[offset]));
}
std::uint32_t WindowRecord::u16(std::size_t offset) const {
  return protocol::le16(&bytes_[offset]);
}
std::int32_t WindowRecord::i32(std::size_t offset) const {
  return static_cast<std::int32_t>(protocol::le32(&bytes_[offset]));
}
void WindowRecord::set16(std::size_t offset, std::int32_t value) {
  protocol::put_le16(&bytes_[offset], static_cast<std::uint16_t>(value));
}
void WindowRecord::set32(std::size_t offset, std::int32_t value) {
  protocol::put_le32(&bytes_[offset], static_cast<std::uint32_t>(value));
}
void WindowRecord::set_window_rect(int left, int top, int width, int height) {
  const int values[4] = {left, top, width, height};
  for (int i = 0; i < 4; ++i) {
    bytes_[8 + 2 * i] = static_cast<std::uint8_t>(values[i] >> 8);
    bytes_[9 + 2 * i] = static_cast<std::uint8_t>(values[i]);
  }
}
std::string WindowRecord::text(std::size_t offset, std::size_t size) const {
  const auto* start = reinterpret_cast<const char*>(&bytes_[offset]);
  const void* zero = std::memchr(start, 0, size);
  return std::string(
      start, zero ? static_cast<const char*>(zero) - start : static_cast<std::ptrdiff_t>(size));
}

std::uint32_t colour_record_at(const WindowRecord& record, std::size_t offset) {
  return colour_record_argb(record.i32(offset), record.i16(offset + 4), record.i16(offset + 6),
                            record.i16(offset + 8),
                            static_cast<std::uint16_t>(record.u16(offset + 10)));
}

DefinitionParse parse_graphics_definition(std::span<const std::uint8_t> payload,
                                          std::int32_t library_version) {
  DefinitionParse out;
  GraphicsDefinition d;
  Reader in{net::FieldCursor(payload), out};
  std::int32_t mode = 0;
  Bytes record;
  if (!in.integer(mode) || !in.tagged(kWindowRecordTag, kWindowRecordSize, record) ||
      !in.integer(d.flags))
    return out;
  d.mode = mode;
  d.record = WindowRecord(record);
  if (mode == kDefine) {
    const int kind = d.record.kind();
    if (kind != kRecordRelayout) {
      if (!in.tagged(kPageDefinitionTag, kPageDefinitionMax, d.page) ||
          !in.tagged(kWindowOptionsTag, kWindowOptionsSize, d.options))
        return out;
      d.options.resize(kWindowOptionsSize, 0);
      const bool old = library_version < kVersionNewDisplayRecord;
      d.display_tag = old ? kOldDisplayRecordTag : kDisplayRecordTag;
      if (!in.tagged(d.display_tag, old ? kOldDisplayRecordSize : kDisplayRecordSize, d.display))
        return out;
      d.display.resize(old ? kOldDisplayRecordSize : kDisplayRecordSize, 0);
      if (library_version >= kVersionExtendedSettings && !in.bytes(d.extended, 65536)) return out;
    }
    if (kind != kRecordNoElements) {
      const std::int32_t count = d.record.i32(272);
      if (count < 0 || count > kDefinitionCountMax) {
        out.error = "bad count of elements";
        return out;
      }
      const bool wide = d.record.window_flags() & kWideElements;
      for (std::int32_t i = 0; i < count; ++i) {
        Bytes element;
        if (!in.tagged(wide ? kWideElementTag : kElementTag, wide ? kWideElementSize : kElementSize,
                       element))
          return out;
        if (!wide) {
          // Name and text keep their places; the numbers move from 100 to 148.
          Bytes widened(kWideElementSize, 0);
          element.resize(kElementSize, 0);
          std::copy_n(element.begin(), 20, widened.begin());
          std::copy_n(element.begin() + 20, 80, widened.begin() + 104);
          std::copy_n(element.begin() + 100, 20, widened.begin() + 148);
          element = std::move(widened);
        } else {
          element.resize(kWideElementSize, 0);
        }
        d.elements.push_back(std::move(element));
      }
    }
    if (d.record.window_flags() & kToolbarItems) {
      std::int32_t n = 0, length = 0;
      Bytes field;
      if (!in.count(n, "toolbar items") || !in.count(length, "toolbar item bytes") ||
          !in.bytes(field, static_cast<std::size_t>(n) * static_cast<std::size_t>(length)))
        return out;
      if (field.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(length)) {
        out.error = "toolbar items do not fill their field";
        return out;
      }
      d.toolbar = items(field, n, length, kToolbarItemSize);
    }
    if (d.record.window_flags() & kIconList) {
      std::int32_t n = 0, length = 0, size = 0;
      Bytes field;
      if (!in.count(n, "icons") || !in.count(length, "icon entry bytes") || !in.integer(size) ||
          size < 0 ||
          !in.bytes(field, static_cast<std::size_t>(n) * static_cast<std::size_t>(length)) ||
          !in.bytes(d.icon_data, static_cast<std::size_t>(size)))
        return out;
      if (field.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(length)) {
        out.error = "icon entries do not fill their field";
        return out;
      }
      d.icons = items(field, n, length, kIconEntrySize);
    }
  } else if (mode == kElementOperation) {
    const int operation = d.record.i16(64);
    if (operation == 25) {
      const bool wide = library_version >= kVersionWideInputField;
      if (!in.tagged(wide ? kInputFieldTag : kOldInputFieldTag,
                     wide ? kInputFieldSize : kOldInputFieldSize, d.element_data))
        return out;
      d.element_data.resize(kInputFieldSize, 0);
    } else if ((operation == 21 || operation == 41) && library_version >= kVersionElementData) {
      if (!in.bytes(d.element_data, 1 << 20)) return out;
    }
  }
  out.definition = std::move(d);
  return out;
}

std::vector<protocol::HostIcon> definition_icons(const GraphicsDefinition& d,
                                                 std::int32_t library_version,
                                                 std::vector<std::string>& refused) {
  std::vector<protocol::HostIcon> icons;
  const std::span<const std::uint8_t> entries(d.icons);
  for (std::size_t at = 0; at + kIconEntrySize <= entries.size(); at += kIconEntrySize) {
    auto icon = protocol::decode_icon_entry(entries.subspan(at, kIconEntrySize), d.icon_data,
                                            library_version);
    if (icon)
      icons.push_back(std::move(*icon));
    else
      refused.push_back(icon.error().message);
  }
  return icons;
}

std::vector<protocol::MenuItemRecord> definition_toolbar_records(const GraphicsDefinition& d,
                                                                 std::int32_t library_version) {
  Bytes records;
  for (std::size_t at = 0; at + kToolbarItemSize <= d.toolbar.size(); at += kToolbarItemSize)
    records.insert(
        records.end(), d.toolbar.begin() + static_cast<std::ptrdiff_t>(at),
        d.toolbar.begin() + static_cast<std::ptrdiff_t>(at + protocol::kMenuItemRecordSize));
  return protocol::split_menu_records(records, library_version);
}

Bytes build_graphics_definition(const GraphicsDefinition& d, bool extended_settings) {
  Bytes payload;
  protocol::PayloadWriter out(payload);
  out.int_field(d.mode);
  out.tagged_bytes(d.record.bytes(), kWindowRecordTag);
  out.int_field(d.flags);
  if (d.mode == kElementOperation) {
    // What follows the record for the operation: an input field's description (in the form of
    // current host libraries), or a picture's or medium's data.
    const int operation = d.record.i16(64);
    if (operation == 25) {
      Bytes field = d.element_data;
      field.resize(kInputFieldSize, 0);
      out.tagged_bytes(field, kInputFieldTag);
    } else if (operation == 21 || operation == 41) {
      out.bytes(d.element_data);
    }
  }
  if (d.mode != kDefine) return payload;
  if (d.record.kind() != kRecordRelayout) {
    out.tagged_bytes(d.page, kPageDefinitionTag);
    Bytes options = d.options;
    options.resize(kWindowOptionsSize, 0);
    out.tagged_bytes(options, kWindowOptionsTag);
    const int tag = d.display_tag != 0 ? d.display_tag : kDisplayRecordTag;
    Bytes display = d.display;
    display.resize(tag == kOldDisplayRecordTag ? kOldDisplayRecordSize : kDisplayRecordSize, 0);
    out.tagged_bytes(display, tag);
    if (extended_settings) out.bytes(d.extended);
  }
  if (d.record.kind() != kRecordNoElements) {
    const bool wide = d.record.window_flags() & kWideElements;
    for (const Bytes& element : d.elements) {
      Bytes e = element;
      e.resize(wide ? kWideElementSize : kElementSize, 0);
      out.tagged_bytes(e, wide ? kWideElementTag : kElementTag);
    }
  }
  if (d.record.window_flags() & kToolbarItems) {
    out.int_field(static_cast<std::int64_t>(d.toolbar.size() / kToolbarItemSize));
    out.int_field(static_cast<std::int64_t>(kToolbarItemSize));
    out.bytes(d.toolbar);
  }
  if (d.record.window_flags() & kIconList) {
    out.int_field(static_cast<std::int64_t>(d.icons.size() / kIconEntrySize));
    out.int_field(static_cast<std::int64_t>(kIconEntrySize));
    out.int_field(static_cast<std::int64_t>(d.icon_data.size()));
    out.bytes(d.icons);
    out.bytes(d.icon_data);
  }
  return payload;
}

Bytes build_definition_reply(const GraphicsDefinition& d, std::span<const std::uint8_t> geometry) {
  Bytes payload;
  protocol::PayloadWriter out(payload);
  out.int_field(d.mode);
  out.tagged_bytes(d.record.bytes(), kWindowRecordTag);
  out.int_field(d.flags);
  if (d.mode == kDefine && d.record.kind() != kRecordRelayout && d.display_tag != 0) {
    Bytes display = d.display;
    if (display.size() > 175 && display[175] > 50) display[175] = display[175] / 10;
    out.tagged_bytes(display, d.display_tag);
  }
  if (d.record.u16(38) & kReplyGeometry) out.tagged_bytes(geometry, kGeometryRecordTag);
  return payload;
}

std::array<std::uint8_t, kGeometryRecordSize> geometry_record(const WindowGeometry& g) {
  std::array<std::uint8_t, kGeometryRecordSize> r{};
  const int shorts[8] = {g.extra1,    g.extra2,    g.device_width,  g.device_height,
                         g.visible_x, g.visible_y, g.visible_width, g.visible_height};
  for (int i = 0; i < 8; ++i) protocol::put_le16(&r[2 * i], static_cast<std::uint16_t>(shorts[i]));
  const std::int32_t longs[6] = {g.x_numerator, g.x_denominator, g.x_offset,
                                 g.y_numerator, g.y_denominator, g.y_offset};
  for (int i = 0; i < 6; ++i)
    protocol::put_le32(&r[16 + 4 * i], static_cast<std::uint32_t>(longs[i]));
  return r;
}

}  // namespace kovw::graphics
