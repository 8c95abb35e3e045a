#include "graphics/picture_loader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "graphics/jpeg_image.h"
#include "graphics/tiff_image.h"
#include "shell/pcx_image.h"

namespace kovw::graphics {

namespace {

constexpr int kErrorUndecodable = 1;

QImage to_qimage(int width, int height, const std::vector<std::uint32_t>& pixels) {
  QImage image(width, height, QImage::Format_ARGB32);
  if (image.isNull()) return image;
  for (int y = 0; y < height; ++y) {
    std::memcpy(image.scanLine(y), pixels.data() + static_cast<std::size_t>(y) * width,
                static_cast<std::size_t>(width) * sizeof(std::uint32_t));
  }
  return image;
}

const char* pcx_reason(shell::PcxError error) {
  switch (error) {
    case shell::PcxError::TooShort:
      return "shorter than a PCX header";
    case shell::PcxError::NotPcx:
      return "not a PCX file";
    case shell::PcxError::BadSize:
      return "picture size not acceptable";
    case shell::PcxError::UnsupportedKind:
      return "kind of PCX picture not supported";
    case shell::PcxError::Truncated:
      return "picture data cut short";
    case shell::PcxError::NoPalette:
      return "palette missing";
    case shell::PcxError::None:
      break;
  }
  return "";
}

}  // namespace

std::string file_extension(std::string_view file_name) {
  const std::size_t slash = file_name.find_last_of("/\\");
  const std::string_view last =
      slash == std::string_view::npos ? file_name : file_name.substr(slash + 1);
  const std::size_t dot = last.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(last.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

PictureFormat picture_format(std::string_view e) {
  if (e == "bmp") return PictureFormat::Bmp;
  if (e == "png") return PictureFormat::Png;
  if (e == "ico") return PictureFormat::Ico;
  if (e == "gif") return PictureFormat::Gif;
  if (e == "jpg" || e == "jpeg") return PictureFormat::Jpeg;
  if (e == "tif" || e == "tiff") return PictureFormat::Tiff;
  if (e == "pcx") return PictureFormat::Pcx;
  return PictureFormat::None;
}

MediaKind media_kind(std::string_view extension) {
  if (picture_format(extension) != PictureFormat::None) return MediaKind::Picture;
  if (extension == "wav") return MediaKind::Sound;
  return MediaKind::Unknown;
}

bool decoded_by_workstation(PictureFormat format) {
  return format == PictureFormat::Jpeg || format == PictureFormat::Tiff ||
         format == PictureFormat::Pcx;
}

PictureLoad load_picture(std::span<const std::uint8_t> bytes, PictureFormat format) {
  PictureLoad load;
  switch (format) {
    case PictureFormat::Jpeg:
    case PictureFormat::Tiff: {
      DecodedImage decoded;
      const bool ok = format == PictureFormat::Jpeg ? decode_jpeg(bytes, decoded, load.text)
                                                    : decode_tiff(bytes, decoded, load.text);
      if (ok) load.image = to_qimage(decoded.width, decoded.height, decoded.pixels);
      break;
    }
    case PictureFormat::Pcx: {
      shell::PcxImage pcx;
      const shell::PcxError error = shell::decode_pcx(bytes, pcx);
      if (error == shell::PcxError::None) {
        load.image = to_qimage(pcx.width, pcx.height, pcx.pixels);
      } else {
        load.error = static_cast<int>(error);
        load.text = pcx_reason(error);
      }
      break;
    }
    case PictureFormat::None:
      load.text = "unknown picture format";
      break;
    default: {
      static constexpr const char* kQtFormats[] = {"BMP", "PNG", "ICO", "GIF"};
      const char* qt_format = kQtFormats[static_cast<int>(format)];
      load.image.loadFromData(bytes.data(),
                              static_cast<int>(std::min<std::size_t>(bytes.size(), INT32_MAX)),
                              qt_format);
      if (load.image.isNull()) load.text = std::string("not a readable ") + qt_format + " picture";
      break;
    }
  }
  if (load.image.isNull() && load.error == 0) load.error = kErrorUndecodable;
  return load;
}

}  // namespace kovw::graphics
