#include "graphics/tiff_image.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kovw::graphics {

namespace {

// The library may hold a few buffers of at most this size while it decodes.
constexpr tmsize_t kMaxSingleAllocation = tmsize_t{256} << 20;

struct MemoryFile {
  std::span<const std::uint8_t> bytes;
  toff_t position = 0;
  std::string error;
};

MemoryFile& file_of(thandle_t handle) {
  return *static_cast<MemoryFile*>(handle);
}

tmsize_t read_proc(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile& f = file_of(handle);
  if (size <= 0 || f.position >= f.bytes.size()) return 0;
  const auto count =
      std::min<std::uint64_t>(static_cast<std::uint64_t>(size), f.bytes.size() - f.position);
  std::memcpy(buffer, f.bytes.data() + f.position, count);
  f.position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t write_proc(thandle_t, void*, tmsize_t) {
  return -1;
}

toff_t seek_proc(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& f = file_of(handle);
  std::uint64_t base = 0;
  if (whence == SEEK_CUR) base = f.position;
  if (whence == SEEK_END) base = f.bytes.size();
  // Offsets are unsigned; a position past the end simply reads nothing.
  f.position = base + offset;
  return f.position;
}

int close_proc(thandle_t) {
  return 0;
}

toff_t size_proc(thandle_t handle) {
  return file_of(handle).bytes.size();
}

int map_proc(thandle_t, void**, toff_t*) {
  return 0;
}

void unmap_proc(thandle_t, void*, toff_t) {}

int error_handler(TIFF*, void* user_data, const char* module, const char* format, va_list args) {
  auto* f = static_cast<MemoryFile*>(user_data);
  if (f && f->error.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    f->error = std::string(module ? module : "tiff") + ": " + text;
  }
  return 1;  // handled: nothing is printed
}

int warning_handler(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

}  // namespace

bool decode_tiff(std::span<const std::uint8_t> file, DecodedImage& image, std::string& error) {
  image = DecodedImage{};
  MemoryFile memory{file, 0, {}};
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, error_handler, &memory);
  TIFFOpenOptionsSetWarningHandlerExtR(options, warning_handler, &memory);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
  TIFF* tiff = TIFFClientOpenExt("picture", "rm", &memory, read_proc, write_proc, seek_proc,
                                 close_proc, size_proc, map_proc, unmap_proc, options);
  TIFFOpenOptionsFree(options);
  if (!tiff) {
    error = memory.error.empty() ? "not a TIFF file" : memory.error;
    return false;
  }
  std::uint32_t width = 0, height = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
  bool ok = false;
  if (!picture_size_acceptable(width, height)) {
    error = "picture of " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels is not acceptable";
  } else {
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0)) {
      image.width = static_cast<int>(width);
      image.height = static_cast<int>(height);
      image.pixels.resize(raster.size());
      // The library's pixels are A B G R from the most significant byte.
      std::transform(raster.begin(), raster.end(), image.pixels.begin(), [](std::uint32_t p) {
        return static_cast<std::uint32_t>(TIFFGetA(p)) << 24 |
               static_cast<std::uint32_t>(TIFFGetR(p)) << 16 |
               static_cast<std::uint32_t>(TIFFGetG(p)) << 8 | TIFFGetB(p);
      });
      ok = true;
    } else {
      error = memory.error.empty() ? "the picture data cannot be read" : memory.error;
    }
  }
  TIFFClose(tiff);
  return ok;
}

}  // namespace kovw::graphics
