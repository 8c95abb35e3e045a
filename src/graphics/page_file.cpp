#include "graphics/page_file.h"

#include <cstring>

namespace kovw::graphics {

namespace {

constexpr char kMagic[4] = {'K', 'V', 'R', 'B'};

void put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
         std::uint32_t{at[3]} << 24;
}

}  // namespace

std::optional<PageFileHeader> page_file_header(std::span<const std::uint8_t> file) {
  if (file.size() < kPageHeaderSize || std::memcmp(file.data(), kMagic, 4) != 0)
    return std::nullopt;
  PageFileHeader h{get32(file.data() + 4), get32(file.data() + 8), get32(file.data() + 12)};
  if (h.width == 0 || h.height == 0 || h.width > kPageSideMax || h.height > kPageSideMax ||
      h.row_bytes != h.width * 4)
    return std::nullopt;
  if (file.size() - kPageHeaderSize != std::uint64_t{h.row_bytes} * h.height) return std::nullopt;
  return h;
}

void put_page_file_header(std::uint8_t (&header)[kPageHeaderSize], std::uint32_t width,
                          std::uint32_t height) {
  std::memcpy(header, kMagic, 4);
  put32(header + 4, width);
  put32(header + 8, height);
  put32(header + 12, width * 4);
}

}  // namespace kovw::graphics
