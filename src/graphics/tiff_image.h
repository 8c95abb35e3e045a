#pragma once
// TIFF pictures through libtiff: the first page, in any of the layouts the library can turn
// into colour pixels. The file is read from memory; errors refuse the picture and are not
// printed.

#include <span>
#include <string>

#include "graphics/decoded_image.h"

namespace kovw::graphics {

bool decode_tiff(std::span<const std::uint8_t> file, DecodedImage& image, std::string& error);

}  // namespace kovw::graphics
