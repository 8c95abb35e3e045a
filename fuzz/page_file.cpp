// The page file of a graphics window's page history: arbitrary bytes give a header only when
// the pixel rows the header promises are exactly what follows it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "graphics/page_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto header = kovw::graphics::page_file_header({data, size});
  if (header) {
    const std::uint64_t rows = std::uint64_t{header->row_bytes} * header->height;
    if (header->width == 0 || header->height == 0 || rows != size - kovw::graphics::kPageHeaderSize)
      std::abort();
  }
  return 0;
}
