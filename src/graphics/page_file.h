#pragma once
// The file of a stored page: "KVRB", then width, height and bytes per row (32-bit
// little-endian), then the rows of 32-bit ARGB pixels. Nothing but this workstation writes
// them, but they lie in the temporary folder: reading checks every size against the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kovw::graphics {

inline constexpr std::size_t kPageHeaderSize = 16;
// A page larger than this either way is not a picture this workstation made.
inline constexpr std::uint32_t kPageSideMax = 16384;

struct PageFileHeader {
  std::uint32_t width = 0, height = 0, row_bytes = 0;
};

// The header of a whole page file: the magic, sides from 1 to kPageSideMax, four bytes a
// pixel, and exactly the rows it promises after it; nothing otherwise.
std::optional<PageFileHeader> page_file_header(std::span<const std::uint8_t> file);
// The header bytes of a page of `width` x `height`.
void put_page_file_header(std::uint8_t (&header)[kPageHeaderSize], std::uint32_t width,
                          std::uint32_t height);

}  // namespace kovw::graphics
