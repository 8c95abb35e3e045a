#include "graphics/jpeg_image.h"

// clang-format off
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace kovw::graphics {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char text[JMSG_LENGTH_MAX];
};

[[noreturn]] void error_exit(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->text);
  std::longjmp(manager->jump, 1);
}

// Warnings are not printed; a damaged picture still decodes as far as it goes.
void no_message(j_common_ptr, int) {}

std::uint32_t cmyk_pixel(const JSAMPLE* p, bool inverted) {
  int c = p[0], m = p[1], y = p[2], k = p[3];
  if (inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
  const auto part = [k](int v) { return static_cast<std::uint32_t>((255 - v) * (255 - k) / 255); };
  return 0xFF000000u | part(c) << 16 | part(m) << 8 | part(y);
}

// The decoding proper; it holds no objects with destructors of their own, because an error of
// the library jumps back to its start.
bool decode(jpeg_decompress_struct& info, ErrorManager& errors, std::span<const std::uint8_t> file,
            DecodedImage& image) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  if (!picture_size_acceptable(info.image_width, info.image_height)) {
    std::snprintf(errors.text, sizeof errors.text, "picture of %u x %u pixels is too large",
                  info.image_width, info.image_height);
    return false;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width);
  const int height = static_cast<int>(info.output_height);
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  // The row buffer belongs to the library, which frees it however the decoding ends.
  JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                              static_cast<JDIMENSION>(width) * 4, 1);
  // Pictures of Adobe programs store CMYK inverted.
  const bool inverted = info.saw_Adobe_marker;
  while (info.output_scanline < info.output_height) {
    const std::size_t y = info.output_scanline;
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    std::uint32_t* out = image.pixels.data() + y * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) {
      const JSAMPLE* p = rows[0] + static_cast<std::size_t>(x) * 4;
      // BGRA in memory is 0xAARRGGBB read as a little-endian word; built by hand for any order.
      out[x] = cmyk ? cmyk_pixel(p, inverted)
                    : 0xFF000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    }
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

bool decode_jpeg(std::span<const std::uint8_t> file, DecodedImage& image, std::string& error) {
  image = DecodedImage{};
  if (file.empty()) {
    error = "empty file";
    return false;
  }
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = error_exit;
  errors.base.emit_message = no_message;
  const bool ok = decode(info, errors, file, image);
  jpeg_destroy_decompress(&info);
  if (!ok) {
    error = errors.text;
    image = DecodedImage{};
  }
  return ok;
}

}  // namespace kovw::graphics
