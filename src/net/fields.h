#pragma once
// The three payload field encodings: integer fields (2-byte width, big-endian value), byte-string
// fields (length in 14-bit groups, least significant group first) and tagged fields (a tag word
// with bit 15 set, then a byte string).
//
// Writers take a position pointer and advance it (the caller sizes the buffer with the
// *_field_size helpers, or uses the overloads that append to a vector). Readers take a
// FieldCursor over the received payload: every read is checked against the payload's end and a
// malformed field sets the cursor's sticky `failed` flag, returns an error value and leaves the
// position where it was.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kovw::net {

// A read position inside a received payload.
struct FieldCursor {
  const std::uint8_t* position = nullptr;
  const std::uint8_t* end = nullptr;
  bool failed = false;

  FieldCursor() = default;
  FieldCursor(const std::uint8_t* data, std::size_t length) : position(data), end(data + length) {}
  explicit FieldCursor(std::span<const std::uint8_t> data)
      : FieldCursor(data.data(), data.size()) {}
  std::size_t remaining() const { return static_cast<std::size_t>(end - position); }
  bool at_end() const { return position >= end; }
};

// Tag words: bit 15 marks a tagged field, bit 14 the in-process form that names a local memory
// address (never valid on a link), bits 0-13 the tag number.
inline constexpr unsigned kTagFlag = 0x8000;
inline constexpr unsigned kTagAddressFlag = 0x4000;
inline constexpr unsigned kTagNumberMask = 0x3fff;

// Bytes a field occupies.
std::size_t length_groups_size(std::size_t length);
inline std::size_t int_field_size(int width) {
  return 2 + static_cast<std::size_t>(width & 0x3fff);
}
inline std::size_t bytes_field_size(std::size_t length) {
  return length_groups_size(length) + length;
}
inline std::size_t tagged_field_size(std::size_t length) {
  return 2 + bytes_field_size(length);
}

// Writes an integer field of `width` bytes (taken modulo 0x4000), the value big-endian and
// sign-extended beyond 8 bytes. Returns width + 2.
int put_int_field(std::uint8_t*& position, std::int64_t value, int width);
// Writes a byte-string field; returns the bytes written (2 for an empty field).
int put_bytes_field(std::uint8_t*& position, const void* data, std::size_t length);
// Writes a tagged field with tag number `tag` (low 14 bits); returns the bytes written (4 for an
// empty field). The data is byte-reversed by record layout in byte-order mode 2.
int put_tagged_field(std::uint8_t*& position, const void* data, std::size_t length, int tag);

// The same, appending to a vector.
int put_int_field(std::vector<std::uint8_t>& out, std::int64_t value, int width);
int put_bytes_field(std::vector<std::uint8_t>& out, const void* data, std::size_t length);
int put_tagged_field(std::vector<std::uint8_t>& out, const void* data, std::size_t length, int tag);

// Reads an integer field (skipping a leading tag word) and returns the value of its last at
// most 4 bytes: width 1 gives 0 to 255, width 2 0 to 65535, width 4 the signed 32-bit value,
// width 8 the low 32 bits. `field_size_out` receives the bytes the field occupied. A field that
// runs past the payload fails the cursor and returns 0.
std::int32_t get_int_field(FieldCursor& at, std::size_t* field_size_out = nullptr);

// Reads a byte-string field (skipping a leading tag word): copies min(N, target.size()) bytes,
// does not terminate text, always advances over the whole field. Returns the number of bytes
// copied, or -1 (cursor failed) when the field is malformed. `field_size_out` receives the bytes
// the field occupied.
long get_bytes_field(FieldCursor& at, std::span<std::uint8_t> target,
                     std::size_t* field_size_out = nullptr);
// Reads a byte-string field without copying: the returned view points into the payload.
// Returns an empty view (cursor failed) when the field is malformed.
std::span<const std::uint8_t> get_bytes_view(FieldCursor& at,
                                             std::size_t* field_size_out = nullptr);

// When the field at the cursor is a tagged field with tag number `expected_tag`: copies
// min(N, target.size()) bytes (byte-reversed by record layout in byte-order mode 2), stores the
// copied count in `length_out`, advances over the field and returns the tag word. Otherwise
// returns the negated first two bytes (big-endian) and does not move, so the caller can try
// another tag. A malformed field (runs past the payload, fewer than 2 bytes left, a tag word
// with the address flag) fails the cursor and returns -1 without moving.
long get_tagged_field(FieldCursor& at, std::span<std::uint8_t> target, std::size_t* length_out,
                      int expected_tag);

}  // namespace kovw::net
