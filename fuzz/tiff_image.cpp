// TIFF decoding of arbitrary files through libtiff, read from memory: refused or decoded, and
// a decoded picture has exactly its width times height pixels within the size limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "graphics/tiff_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kovw::graphics::DecodedImage image;
  std::string error;
  if (kovw::graphics::decode_tiff(std::span(data, size), image, error)) {
    if (!kovw::graphics::picture_size_acceptable(image.width, image.height)) std::abort();
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) std::abort();
  } else if (!image.pixels.empty() || error.empty()) {
    std::abort();
  }
  return 0;
}
