#pragma once
// The run-length code of the wide-character width table in the font information reply. It
// works on units of 1 to 4 bytes (the table uses 2-byte units) and writes groups, each a
// control byte n followed by its data:
//
//   0-127    n + 1 units as they stand
//   128      nothing (no operation)
//   129      one byte k, then one unit: the unit k + 1 times
//   130      two bytes k, most significant first, then one unit: the unit k + 1 times
//   131-255  one unit: the unit 257 - n times
//
// A unit followed by at least one equal unit starts a repeat group; the units in between form
// literal groups of at most 128 units.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kovw::graphics {

// The most bytes coding `unit_count` units of `unit_size` bytes can take. A literal group costs
// one control byte; from two-byte units on, every repeat group between two literal groups saves
// at least that byte, so the cost is one byte per 128 units (65,536 two-byte units: 131,584
// bytes). Single-byte repeats of two save nothing, so their literal groups of one can cost a
// byte for every three units.
constexpr std::size_t width_code_bound(std::size_t unit_count, std::size_t unit_size) {
  if (unit_size == 1) return unit_count + (unit_count + 2) / 3 + 1;
  return unit_count * unit_size + (unit_count + 127) / 128;
}

// Codes `data`, whose size must be a multiple of `unit_size` (1 to 4); a remainder is ignored.
std::vector<std::uint8_t> encode_width_table(std::span<const std::uint8_t> data,
                                             std::size_t unit_size);

// Decodes `coded` into at most `max_bytes`; nothing when a group runs past the coded bytes,
// the output would pass `max_bytes` or the unit size is not 1 to 4.
std::optional<std::vector<std::uint8_t>> decode_width_table(std::span<const std::uint8_t> coded,
                                                            std::size_t unit_size,
                                                            std::size_t max_bytes);

}  // namespace kovw::graphics
