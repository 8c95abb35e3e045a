#pragma once
// The raster bitmap the print language builds row by row (commands b, d, k, p): its size,
// pixel kind, compression mode, palette and the rows received so far. Every row is decoded into
// exactly its declared length, whatever the coded data says.

#include <cstdint>
#include <span>
#include <vector>

#include "print/print_device.h"

namespace kovw::print {

// Compression modes of the rows (command k).
inline constexpr int kCompressionNone = 0;
inline constexpr int kCompressionPackBits = 1;
inline constexpr int kCompressionDeltaRow = 2;
inline constexpr int kCompressionRepeat = 3;
inline constexpr int kCompressionEnd = 99;  // ends the bitmap and draws it

// Pixel kinds (command b).
inline constexpr int kPixelsOneBit = 0;
inline constexpr int kPixelsEightBits = 1;
inline constexpr int kPixelsSixteenBits = 2;
inline constexpr int kPixelsTwentyFourBits = 3;

// The largest bitmap accepted, in bytes of pixel data.
inline constexpr std::size_t kMaxBitmapBytes = std::size_t{256} << 20;
inline constexpr int kMaxBitmapSide = 65535;
inline constexpr int kMaxPaletteEntries = 256;

// Delta-row decoding: `row` holds the previous row and is changed in place. Each command byte
// holds in its upper three bits the count of replacement bytes less one and in its lower five
// bits an offset from the current position; an offset of 31 grows by each following byte for
// as long as that byte is 255. Nothing is written past the row.
void decode_delta_row(std::span<const std::uint8_t> coded, std::span<std::uint8_t> row);

class RasterBitmap {
 public:
  enum class Start { Ok, Busy, BadSize };
  // Starts a bitmap (command b). Busy when one is active already; BadSize when a side is
  // 0 or too large, or the pixel data would pass kMaxBitmapBytes.
  Start start(int width, int height, int resolution, int pixel_kind);
  bool active() const { return active_; }

  int compression() const { return compression_; }
  void set_compression(int mode) { compression_ = mode; }
  static bool known_compression(int mode) { return mode >= 0 && mode <= 3; }

  // One row command (command d) in the current compression mode: `coded` are the row's bytes
  // (none for kCompressionRepeat, where `count` is how often the previous row repeats), and
  // the row is stored `repeat` times. Rows past the bitmap's height are dropped. The mode must
  // be known (known_compression).
  void add_rows(std::span<const std::uint8_t> coded, std::int64_t count, std::int64_t repeat);

  void set_palette_entry(int index, Rgb colour);

  int width() const { return width_; }
  int height() const { return height_; }
  int resolution() const { return resolution_; }
  int pixel_kind() const { return pixel_kind_; }
  int row_length() const { return row_length_; }
  int rows_stored() const { return rows_; }
  // The bitmap as drawn: 1-bit pixels default to white for 0 and black for 1, 8-bit pixels to
  // a grey ramp from black, for palette entries the host did not set.
  RasterImage image();
  // Forgets the bitmap (after drawing it).
  void finish();

 private:
  void store_row(std::span<const std::uint8_t> row, std::int64_t times);

  bool active_ = false;
  int width_ = 0, height_ = 0, resolution_ = 0, pixel_kind_ = 0;
  int row_length_ = 0;
  int compression_ = kCompressionNone;
  int rows_ = 0;
  std::vector<std::uint8_t> pixels_;    // rows_ × row_length_
  std::vector<std::uint8_t> previous_;  // the last row stored (zeros at first)
  std::vector<std::uint8_t> work_;      // the row being decoded
  std::vector<Rgb> palette_;
  std::vector<bool> palette_set_;
  std::vector<Rgb> drawn_palette_;
};

}  // namespace kovw::print
