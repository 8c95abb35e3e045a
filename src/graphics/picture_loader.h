#pragma once
// Pictures by file extension: BMP, PNG, ICO and GIF through Qt; JPEG through libjpeg, TIFF
// through libtiff and PCX through the workstation's own decoder. WAV files are sound.

#include <QImage>
#include <span>
#include <string>
#include <string_view>

namespace kovw::graphics {

enum class MediaKind {
  Picture,
  Sound,
  Unknown,
};

enum class PictureFormat { Bmp, Png, Ico, Gif, Jpeg, Tiff, Pcx, None };

// The lower-case extension of `file_name` (after the last dot of its last component).
std::string file_extension(std::string_view file_name);
PictureFormat picture_format(std::string_view extension);
MediaKind media_kind(std::string_view extension);
// Whether the format is decoded by the workstation itself rather than the toolkit.
bool decoded_by_workstation(PictureFormat format);

struct PictureLoad {
  QImage image;      // null on failure
  int error = 0;     // a number of the failure (the decoder's reason)
  std::string text;  // the failure in words
};

// Decodes the bytes of a picture file of `format`.
PictureLoad load_picture(std::span<const std::uint8_t> bytes, PictureFormat format);

}  // namespace kovw::graphics
