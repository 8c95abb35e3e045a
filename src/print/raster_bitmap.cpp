#include "print/raster_bitmap.h"

#include <algorithm>
#include <cstring>

#include "net/packbits.h"

namespace kovw::print {

void decode_delta_row(std::span<const std::uint8_t> coded, std::span<std::uint8_t> row) {
  std::size_t i = 0;
  std::size_t position = 0;
  while (i < coded.size()) {
    const std::uint8_t command = coded[i++];
    const std::size_t count = (command >> 5) + 1u;
    std::size_t offset = command & 0x1F;
    if (offset == 31) {
      while (i < coded.size()) {
        const std::uint8_t more = coded[i++];
        offset += more;
        if (more != 255) break;
      }
    }
    position += offset;
    for (std::size_t k = 0; k < count && i < coded.size(); ++k, ++i, ++position) {
      if (position < row.size()) row[position] = coded[i];
    }
  }
}

namespace {

int bits_per_pixel(int pixel_kind) {
  switch (pixel_kind) {
    case kPixelsEightBits:
      return 8;
    case kPixelsSixteenBits:
      return 16;
    case kPixelsTwentyFourBits:
      return 24;
    default:
      return 1;
  }
}

}  // namespace

RasterBitmap::Start RasterBitmap::start(int width, int height, int resolution, int pixel_kind) {
  if (active_) return Start::Busy;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide)
    return Start::BadSize;
  if (pixel_kind < kPixelsOneBit || pixel_kind > kPixelsTwentyFourBits) pixel_kind = kPixelsOneBit;
  const std::int64_t bits = std::int64_t{width} * bits_per_pixel(pixel_kind);
  const std::int64_t row_length = (bits + 31) / 32 * 4;
  if (row_length * height > static_cast<std::int64_t>(kMaxBitmapBytes)) return Start::BadSize;
  active_ = true;
  width_ = width;
  height_ = height;
  resolution_ = resolution;
  pixel_kind_ = pixel_kind;
  row_length_ = static_cast<int>(row_length);
  compression_ = kCompressionNone;
  rows_ = 0;
  pixels_.clear();
  previous_.assign(static_cast<std::size_t>(row_length_), 0);
  work_.assign(static_cast<std::size_t>(row_length_), 0);
  palette_.clear();
  palette_set_.clear();
  return Start::Ok;
}

void RasterBitmap::store_row(std::span<const std::uint8_t> row, std::int64_t times) {
  const std::int64_t room = height_ - rows_;
  const int n = static_cast<int>(std::clamp<std::int64_t>(times, 0, room));
  if (n == 0) return;
  const std::size_t length = static_cast<std::size_t>(row_length_);
  pixels_.resize((static_cast<std::size_t>(rows_) + n) * length);
  for (int k = 0; k < n; ++k) {
    std::memcpy(pixels_.data() + (static_cast<std::size_t>(rows_) + k) * length, row.data(),
                length);
  }
  rows_ += n;
  if (row.data() != previous_.data()) std::memcpy(previous_.data(), row.data(), length);
}

void RasterBitmap::add_rows(std::span<const std::uint8_t> coded, std::int64_t count,
                            std::int64_t repeat) {
  if (!active_) return;
  if (compression_ == kCompressionRepeat) {
    store_row(previous_, count);
    return;
  }
  std::fill(work_.begin(), work_.end(), 0);
  if (count > 0) {
    switch (compression_) {
      case kCompressionNone:
        std::memcpy(work_.data(), coded.data(), std::min(coded.size(), work_.size()));
        break;
      case kCompressionPackBits:
        net::packbits_decode_clipped(coded.data(), coded.size(), work_.data(), work_.size());
        break;
      case kCompressionDeltaRow:
        work_ = previous_;
        decode_delta_row(coded, work_);
        break;
      default:
        return;
    }
  }
  store_row(work_, repeat);
}

void RasterBitmap::set_palette_entry(int index, Rgb colour) {
  if (index < 0 || index >= kMaxPaletteEntries) return;
  const std::size_t i = static_cast<std::size_t>(index);
  if (palette_.size() <= i) {
    palette_.resize(i + 1, 0);
    palette_set_.resize(i + 1, false);
  }
  palette_[i] = colour & 0xFFFFFF;
  palette_set_[i] = true;
}

RasterImage RasterBitmap::image() {
  RasterImage image;
  image.width = width_;
  image.height = height_;
  image.bits_per_pixel = bits_per_pixel(pixel_kind_);
  image.row_length = row_length_;
  image.pixels = pixels_;
  drawn_palette_.clear();
  if (image.bits_per_pixel == 1) {
    drawn_palette_ = {kWhite, kBlack};
  } else if (image.bits_per_pixel == 8) {
    drawn_palette_.resize(256);
    for (std::uint32_t v = 0; v < 256; ++v) drawn_palette_[v] = v << 16 | v << 8 | v;
  }
  for (std::size_t i = 0; i < palette_.size() && i < drawn_palette_.size(); ++i) {
    if (palette_set_[i]) drawn_palette_[i] = palette_[i];
  }
  image.palette = drawn_palette_;
  return image;
}

void RasterBitmap::finish() {
  active_ = false;
  rows_ = 0;
  pixels_.clear();
  pixels_.shrink_to_fit();
}

}  // namespace kovw::print
