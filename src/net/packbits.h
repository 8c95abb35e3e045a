#pragma once
// PackBits run-length coding as used for compressed frame payloads: control 0-127 is followed
// by that many plus one literal bytes, control 129-255 by one byte repeated 257 minus the control
// times, control 128 is skipped. The encoder codes every run of two or more equal bytes as a
// repeat (pieces of at most 128) and everything else as literal groups of at most 128 bytes.

#include <cstddef>
#include <cstdint>

namespace kovw::net {

// The most bytes packbits_encode writes for `length` input bytes. Each literal group costs one
// control byte and is followed by a repeat of at least two bytes (or the end), so the worst case
// is one extra byte per three input bytes; half is a safe margin.
inline constexpr std::size_t packbits_bound(std::size_t length) {
  return length + length / 2 + 2;
}

// The most bytes `length` coded bytes can decode to: a pair of control and repeated byte gives
// at most 128, and no other group gives more per coded byte.
inline constexpr std::size_t packbits_decoded_bound(std::size_t length) {
  return (length + 1) / 2 * 128;
}

// Encodes `length` bytes into `out` (at least packbits_bound(length) bytes). Returns the coded
// size.
std::size_t packbits_encode(const std::uint8_t* in, std::size_t length, std::uint8_t* out);

// Decodes `length` coded bytes into `out` of `capacity` bytes. Returns the decoded size, or -1
// when the output would pass `capacity` or a literal group runs past the coded bytes.
long packbits_decode(const std::uint8_t* in, std::size_t length, std::uint8_t* out,
                     std::size_t capacity);

// As packbits_decode for data whose decoded size is fixed by the receiver (a raster row):
// what would pass `capacity` is dropped, and a literal group cut short by the end of the coded
// bytes gives the bytes present. Returns the decoded size (at most `capacity`).
std::size_t packbits_decode_clipped(const std::uint8_t* in, std::size_t length, std::uint8_t* out,
                                    std::size_t capacity);

// The other payload method: `stored` bytes present, expanded to `target_length` by copying them
// (at most `target_length`) and filling the rest with blanks.
void blank_fill_decode(const std::uint8_t* in, std::size_t stored, std::uint8_t* out,
                       std::size_t target_length);

}  // namespace kovw::net
