#include "net/fields.h"

#include <algorithm>
#include <cstring>

#include "foundation/log.h"
#include "net/byte_order.h"

namespace kovw::net {

namespace {

// More groups than this would describe a length beyond any payload (42 bits).
constexpr int kMaxLengthGroups = 3;

std::uint8_t* write_length_groups(std::uint8_t* out, std::size_t length) {
  if (length == 0) {
    *out++ = 0;
    *out++ = 0;
    return out;
  }
  while (length != 0) {
    unsigned group = static_cast<unsigned>(length & 0x3fff);
    length >>= 14;
    if (length != 0) group |= 0x4000;
    *out++ = static_cast<std::uint8_t>(group >> 8);
    *out++ = static_cast<std::uint8_t>(group);
  }
  return out;
}

unsigned word_at(const std::uint8_t* p) {
  return (unsigned{p[0]} << 8) | p[1];
}

void fail(FieldCursor& at, const char* what) {
  if (!at.failed) foundation::log_printf("field: %s", what);
  at.failed = true;
}

// Reads the length groups at `p` (inside [p, end)). Returns false when they run past the end,
// need too many groups or announce more bytes than follow.
bool read_length(const std::uint8_t*& p, const std::uint8_t* end, std::size_t& length) {
  length = 0;
  for (int group_index = 0;; ++group_index) {
    if (group_index == kMaxLengthGroups || end - p < 2) return false;
    const unsigned group = word_at(p);
    p += 2;
    length |= static_cast<std::size_t>(group & 0x3fff) << (14 * group_index);
    if ((group & 0x4000) == 0) break;
  }
  return length <= static_cast<std::size_t>(end - p);
}

// Skips a tag word in front of an integer or byte-string field. False for the address form.
bool skip_tag(const std::uint8_t*& p, const std::uint8_t* end) {
  if (p < end && (p[0] & 0x80) != 0) {
    if (end - p < 2 || (p[0] & 0x40) != 0) return false;
    p += 2;
  }
  return true;
}

}  // namespace

std::size_t length_groups_size(std::size_t length) {
  std::size_t groups = 1;
  while (length >>= 14) ++groups;
  return 2 * groups;
}

int put_int_field(std::uint8_t*& position, std::int64_t value, int width) {
  width &= 0x3fff;
  std::uint8_t* out = position;
  *out++ = static_cast<std::uint8_t>(width >> 8);
  *out++ = static_cast<std::uint8_t>(width);
  for (int i = width - 1; i >= 0; --i) {
    const int shift = 8 * std::min(i, 7);
    std::int64_t byte = value >> shift;
    if (i >= 8) byte = value < 0 ? 0xff : 0;
    *out++ = static_cast<std::uint8_t>(byte);
  }
  position = out;
  return width + 2;
}

int put_bytes_field(std::uint8_t*& position, const void* data, std::size_t length) {
  std::uint8_t* out = write_length_groups(position, length);
  if (length != 0) std::memcpy(out, data, length);
  const std::size_t written = static_cast<std::size_t>(out - position) + length;
  position = out + length;
  return static_cast<int>(written);
}

int put_tagged_field(std::uint8_t*& position, const void* data, std::size_t length, int tag) {
  std::uint8_t* out = position;
  const unsigned word = kTagFlag | (static_cast<unsigned>(tag) & kTagNumberMask);
  *out++ = static_cast<std::uint8_t>(word >> 8);
  *out++ = static_cast<std::uint8_t>(word);
  out = write_length_groups(out, length);
  if (length != 0) copy_tagged_record(tag, static_cast<const std::uint8_t*>(data), out, length);
  const std::size_t written = static_cast<std::size_t>(out - position) + length;
  position = out + length;
  return static_cast<int>(written);
}

int put_int_field(std::vector<std::uint8_t>& out, std::int64_t value, int width) {
  const std::size_t start = out.size();
  out.resize(start + int_field_size(width));
  std::uint8_t* p = out.data() + start;
  return put_int_field(p, value, width);
}

int put_bytes_field(std::vector<std::uint8_t>& out, const void* data, std::size_t length) {
  const std::size_t start = out.size();
  out.resize(start + bytes_field_size(length));
  std::uint8_t* p = out.data() + start;
  return put_bytes_field(p, data, length);
}

int put_tagged_field(std::vector<std::uint8_t>& out, const void* data, std::size_t length,
                     int tag) {
  const std::size_t start = out.size();
  out.resize(start + tagged_field_size(length));
  std::uint8_t* p = out.data() + start;
  return put_tagged_field(p, data, length, tag);
}

std::int32_t get_int_field(FieldCursor& at, std::size_t* field_size_out) {
  if (field_size_out) *field_size_out = 0;
  if (at.failed) return 0;
  const std::uint8_t* p = at.position;
  if (!skip_tag(p, at.end) || at.end - p < 2) {
    fail(at, "integer field runs past the payload");
    return 0;
  }
  const std::size_t width = word_at(p) & 0x3fff;
  p += 2;
  if (width > static_cast<std::size_t>(at.end - p)) {
    fail(at, "integer field runs past the payload");
    return 0;
  }
  std::uint32_t value = 0;
  for (std::size_t i = width > 4 ? width - 4 : 0; i < width; ++i) value = (value << 8) | p[i];
  p += width;
  if (field_size_out) *field_size_out = static_cast<std::size_t>(p - at.position);
  at.position = p;
  return static_cast<std::int32_t>(value);
}

std::span<const std::uint8_t> get_bytes_view(FieldCursor& at, std::size_t* field_size_out) {
  if (field_size_out) *field_size_out = 0;
  if (at.failed) return {};
  const std::uint8_t* p = at.position;
  std::size_t length = 0;
  if (!skip_tag(p, at.end) || !read_length(p, at.end, length)) {
    fail(at, "byte-string field runs past the payload");
    return {};
  }
  std::span<const std::uint8_t> view(p, length);
  p += length;
  if (field_size_out) *field_size_out = static_cast<std::size_t>(p - at.position);
  at.position = p;
  return view;
}

long get_bytes_field(FieldCursor& at, std::span<std::uint8_t> target, std::size_t* field_size_out) {
  if (at.failed) {
    if (field_size_out) *field_size_out = 0;
    return -1;
  }
  const std::span<const std::uint8_t> view = get_bytes_view(at, field_size_out);
  if (at.failed) return -1;
  const std::size_t count = std::min(view.size(), target.size());
  if (count != 0) std::memcpy(target.data(), view.data(), count);
  return static_cast<long>(count);
}

long get_tagged_field(FieldCursor& at, std::span<std::uint8_t> target, std::size_t* length_out,
                      int expected_tag) {
  if (length_out) *length_out = 0;
  if (at.failed) return -1;
  if (at.remaining() < 2) {
    fail(at, "tagged field runs past the payload");
    return -1;
  }
  const unsigned word = word_at(at.position);
  if ((word & kTagFlag) != 0 && (word & kTagAddressFlag) != 0) {
    fail(at, "tagged field with a memory address");
    return -1;
  }
  if ((word & kTagFlag) == 0 ||
      (word & kTagNumberMask) != (static_cast<unsigned>(expected_tag) & kTagNumberMask)) {
    return -static_cast<long>(word);
  }
  const std::uint8_t* p = at.position + 2;
  std::size_t length = 0;
  if (!read_length(p, at.end, length)) {
    fail(at, "tagged field runs past the payload");
    return -1;
  }
  const std::size_t count = std::min(length, target.size());
  if (count != 0) copy_tagged_record(expected_tag, p, target.data(), count);
  if (length_out) *length_out = count;
  at.position = p + length;
  return static_cast<long>(word);
}

}  // namespace kovw::net
