// PCX decoding of arbitrary files: refused or decoded, never read out of bounds, and a decoded
// picture has exactly its width times height pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "shell/pcx_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kovw::shell::PcxImage image;
  const auto error = kovw::shell::decode_pcx(std::span(data, size), image);
  if (error == kovw::shell::PcxError::None) {
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) std::abort();
  } else if (!image.pixels.empty()) {
    std::abort();
  }
  return 0;
}
