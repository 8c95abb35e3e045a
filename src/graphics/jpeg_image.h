#pragma once
// JPEG pictures through libjpeg: baseline and progressive, grey, colour and CMYK. Every error
// of the library ends the decoding with a refusal, never with an exit of the process.

#include <span>
#include <string>

#include "graphics/decoded_image.h"

namespace kovw::graphics {

// Decodes `file`; on failure returns false, leaves `image` empty and sets `error` to the
// library's text.
bool decode_jpeg(std::span<const std::uint8_t> file, DecodedImage& image, std::string& error);

}  // namespace kovw::graphics
