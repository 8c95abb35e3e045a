#include "shell/pcx_image.h"

#include <array>

namespace kovw::shell {
namespace {

constexpr std::size_t kHeaderSize = 128;

int u16_at(std::span<const std::uint8_t> file, std::size_t at) {
  return file[at] | file[at + 1] << 8;
}

std::uint32_t rgb(const std::uint8_t* p) {
  return 0xFF000000u | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
}

}  // namespace

PcxError decode_pcx(std::span<const std::uint8_t> file, PcxImage& image) {
  image = PcxImage{};
  if (file.size() < kHeaderSize) return PcxError::TooShort;
  if (file[0] != 0x0A || file[2] != 1) return PcxError::NotPcx;
  const int bits = file[3];
  const int x_min = u16_at(file, 4), y_min = u16_at(file, 6);
  const int x_max = u16_at(file, 8), y_max = u16_at(file, 10);
  const int planes = file[65];
  const int line_bytes = u16_at(file, 66);
  if (x_max < x_min || y_max < y_min) return PcxError::BadSize;
  const int width = x_max - x_min + 1;
  const int height = y_max - y_min + 1;
  if (width > kPcxMaxSide || height > kPcxMaxSide ||
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > kPcxMaxPixels) {
    return PcxError::BadSize;
  }
  const bool indexed = planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
  const bool planar = bits == 1 && (planes == 3 || planes == 4);
  const bool true_colour = bits == 8 && (planes == 3 || planes == 4);
  if (!indexed && !planar && !true_colour) return PcxError::UnsupportedKind;
  if (static_cast<long>(line_bytes) * 8 < static_cast<long>(width) * bits) {
    return PcxError::BadSize;
  }

  // The palette: 256 colours after the data for 8-bit pictures, else the header's 16.
  std::array<std::uint32_t, 256> palette{};
  std::span<const std::uint8_t> data = file.subspan(kHeaderSize);
  if (indexed && bits == 8) {
    if (file.size() < kHeaderSize + 769 || file[file.size() - 769] != 0x0C) {
      return PcxError::NoPalette;
    }
    const std::uint8_t* p = file.data() + file.size() - 768;
    for (int i = 0; i < 256; ++i) palette[static_cast<std::size_t>(i)] = rgb(p + 3 * i);
    data = data.first(data.size() - 769);
  } else if (indexed && bits == 1) {
    palette[0] = 0xFF000000u;
    palette[1] = 0xFFFFFFFFu;
  } else {
    for (int i = 0; i < 16; ++i)
      palette[static_cast<std::size_t>(i)] = rgb(file.data() + 16 + 3 * i);
  }

  // Run-length decoding of one line of all planes at a time; a run may cross lines.
  const std::size_t scan = static_cast<std::size_t>(line_bytes) * static_cast<std::size_t>(planes);
  std::vector<std::uint8_t> line(scan);
  std::size_t at = 0;
  int run = 0;
  std::uint8_t run_value = 0;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < scan;) {
      if (run == 0) {
        if (at >= data.size()) {
          image = PcxImage{};
          return PcxError::Truncated;
        }
        const std::uint8_t b = data[at++];
        if ((b & 0xC0) == 0xC0) {
          if (at >= data.size()) {
            image = PcxImage{};
            return PcxError::Truncated;
          }
          run = b & 0x3F;
          run_value = data[at++];
          if (run == 0) continue;  // a run of no bytes: nothing to store
        } else {
          run = 1;
          run_value = b;
        }
      }
      line[i++] = run_value;
      --run;
    }
    std::uint32_t* row = image.pixels.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      if (true_colour) {
        const std::uint8_t c[3] = {line[static_cast<std::size_t>(x)],
                                   line[static_cast<std::size_t>(line_bytes + x)],
                                   line[static_cast<std::size_t>(2 * line_bytes + x)]};
        row[x] = rgb(c);
      } else if (planar) {
        int index = 0;
        for (int p = 0; p < planes; ++p) {
          const std::uint8_t byte = line[static_cast<std::size_t>(p * line_bytes + x / 8)];
          index |= ((byte >> (7 - x % 8)) & 1) << p;
        }
        row[x] = palette[static_cast<std::size_t>(index)];
      } else {
        const int bit = x * bits;
        const std::uint8_t byte = line[static_cast<std::size_t>(bit / 8)];
        const int index = (byte >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
        row[x] = palette[static_cast<std::size_t>(index)];
      }
    }
  }
  return PcxError::None;
}

}  // namespace kovw::shell
