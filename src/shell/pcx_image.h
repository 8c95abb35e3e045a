#pragma once
// A decoder of PCX pictures (the run-length coded form): 1, 2, 4 or 8 bits per pixel in one
// plane, 1 bit in 3 or 4 planes, and 8 bits in 3 or 4 planes (true colour). Plain C++: every
// length in the file is checked before it is used.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kovw::shell {

// Reasons a PCX file is refused.
enum class PcxError {
  None = 0,
  TooShort = 1,         // shorter than the 128-byte header
  NotPcx = 2,           // wrong maker byte or coding
  BadSize = 3,          // empty or too large picture, or lines too short for the width
  UnsupportedKind = 4,  // a combination of bits and planes the decoder does not know
  Truncated = 5,        // the pixel data end early
  NoPalette = 6,        // an 8-bit picture without its 256-colour palette
};

struct PcxImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row by row
};

// The largest picture accepted (in each direction, and in all).
inline constexpr int kPcxMaxSide = 8192;
inline constexpr std::size_t kPcxMaxPixels = std::size_t{4096} * 4096;

PcxError decode_pcx(std::span<const std::uint8_t> file, PcxImage& image);

}  // namespace kovw::shell
