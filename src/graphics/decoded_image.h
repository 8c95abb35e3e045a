#pragma once
// A picture decoded by one of the workstation's own decoders (JPEG, TIFF; PCX has its own
// record in the shell): its size and its pixels as 0xAARRGGBB, row by row. Plain C++.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kovw::graphics {

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The largest picture the decoders accept: in each direction, and in all.
inline constexpr int kPictureMaxSide = 16384;
inline constexpr std::size_t kPictureMaxPixels = std::size_t{4096} * 4096;

inline bool picture_size_acceptable(long long width, long long height) {
  return width > 0 && height > 0 && width <= kPictureMaxSide && height <= kPictureMaxSide &&
         static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) <=
             kPictureMaxPixels;
}

}  // namespace kovw::graphics
