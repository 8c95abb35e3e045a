// JPEG decoding of arbitrary files through libjpeg: refused or decoded, never an exit of the
// process or a read out of bounds, and a decoded picture has exactly its width times height
// pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "graphics/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kovw::graphics::DecodedImage image;
  std::string error;
  if (kovw::graphics::decode_jpeg(std::span(data, size), image, error)) {
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) std::abort();
  } else if (!image.pixels.empty() || error.empty()) {
    std::abort();
  }
  return 0;
}
