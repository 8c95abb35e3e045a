// Pictures of every format from small files made here, the decoders' refusals, and the
// display steps with their log lines.

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <fstream>
#include <vector>

#include "foundation/log_fixture.h"
#include "graphics/jpeg_image.h"
#include "graphics/painter_renderer.h"
#include "graphics/picture_display.h"
#include "graphics/picture_loader.h"
#include "graphics/tiff_image.h"
#include "graphics_test_support.h"
#include "shell/pcx_image.h"

namespace kovw::graphics {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A 2 x 2 picture: red, green / blue, white.
QImage sample() {
  QImage image(2, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  image.setPixel(0, 1, qRgb(0, 0, 255));
  image.setPixel(1, 1, qRgb(255, 255, 255));
  return image;
}

Bytes saved(const QImage& image, const char* format) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format)) << format;
  return Bytes(data.begin(), data.end());
}

// A one-pixel GIF whose only colour is red.
const Bytes kRedGif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0,  0,
                       0,   ',', 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 'D',  1, 0, ';'};

// A 2 x 1 true-colour PCX: red, then blue.
Bytes red_blue_pcx() {
  Bytes file(128, 0);
  file[0] = 0x0A, file[1] = 5, file[2] = 1, file[3] = 8;
  file[8] = 1;  // x max
  file[65] = 3;
  file[66] = 2;                             // bytes per plane line
  const Bytes planes = {0xC1, 0xFF, 0x00,   // red: 255, 0
                        0x00, 0x00,         // green
                        0x00, 0xC1, 0xFF};  // blue: 0, 255
  file.insert(file.end(), planes.begin(), planes.end());
  return file;
}

// A 1 x 1 CMYK JPEG in the inverted form of Adobe programs.
Bytes cmyk_jpeg(std::uint8_t c, std::uint8_t m, std::uint8_t y, std::uint8_t k) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = 1;
  info.image_height = 1;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  JSAMPLE row[4] = {static_cast<JSAMPLE>(255 - c), static_cast<JSAMPLE>(255 - m),
                    static_cast<JSAMPLE>(255 - y), static_cast<JSAMPLE>(255 - k)};
  JSAMPROW rows[1] = {row};
  jpeg_write_scanlines(&info, rows, 1);
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(out, out + size);
  std::free(out);
  return bytes;
}

// An uncompressed 8-bit grey TIFF, little-endian, one strip.
Bytes grey_tiff(std::uint32_t width, std::uint32_t height, const Bytes& pixels) {
  Bytes file = {'I', 'I', 42, 0, 8, 0, 0, 0};
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t value;
  };
  const std::uint32_t data_at = 8 + 2 + 9 * 12 + 4;
  const Entry entries[] = {
      {256, 4, width}, {257, 4, height}, {258, 3, 8},
      {259, 3, 1},     {262, 3, 1},      {273, 4, data_at},
      {277, 3, 1},     {278, 4, height}, {279, 4, std::uint32_t(pixels.size())}};
  auto put16 = [&](std::uint32_t v) {
    file.push_back(static_cast<std::uint8_t>(v));
    file.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16(9);
  for (const Entry& e : entries) {
    put16(e.tag);
    put16(e.type);
    put32(1);
    put32(e.value);
  }
  put32(0);
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

bool near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ensure_application(); }
};

TEST_F(PictureTest, EveryFormatLoadsItsPixels) {
  struct Case {
    const char* extension;
    Bytes bytes;
    int tolerance;  // JPEG is lossy
  };
  const QImage want = sample();
  const Case cases[] = {
      {"bmp", saved(want, "BMP"), 0},
      {"png", saved(want, "PNG"), 0},
      {"ico", saved(want, "ICO"), 0},
      {"tif", saved(want, "TIFF"), 0},
      {"jpeg", saved(want.scaled(16, 16), "JPG"), 0},
  };
  for (const Case& c : cases) {
    const PictureLoad load = load_picture(c.bytes, picture_format(c.extension));
    ASSERT_FALSE(load.image.isNull()) << c.extension << ": " << load.text;
    if (std::string(c.extension) == "jpeg") {
      // Scaled to 16 x 16 before the lossy coding: the quarters keep their colours.
      EXPECT_TRUE(near(load.image.pixel(2, 2), qRgb(255, 0, 0), 40));
      EXPECT_TRUE(near(load.image.pixel(13, 13), qRgb(255, 255, 255), 40));
      continue;
    }
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        EXPECT_EQ(want.pixel(x, y), load.image.pixel(x, y) | 0xFF000000u) << c.extension;
  }
  const PictureLoad grey = load_picture(grey_tiff(2, 1, {0x40, 0xC0}), PictureFormat::Tiff);
  ASSERT_FALSE(grey.image.isNull()) << grey.text;
  EXPECT_EQ(qRgb(0x40, 0x40, 0x40), grey.image.pixel(0, 0));
  EXPECT_EQ(qRgb(0xC0, 0xC0, 0xC0), grey.image.pixel(1, 0));
  const PictureLoad gif = load_picture(kRedGif, PictureFormat::Gif);
  ASSERT_FALSE(gif.image.isNull());
  EXPECT_EQ(qRgb(255, 0, 0), gif.image.pixel(0, 0) | 0xFF000000u);
  const PictureLoad pcx = load_picture(red_blue_pcx(), PictureFormat::Pcx);
  ASSERT_FALSE(pcx.image.isNull()) << pcx.text;
  EXPECT_EQ(qRgb(255, 0, 0), pcx.image.pixel(0, 0));
  EXPECT_EQ(qRgb(0, 0, 255), pcx.image.pixel(1, 0));
  // CMYK as Adobe programs write it: full cyan is (0, 255, 255).
  DecodedImage cmyk;
  std::string error;
  ASSERT_TRUE(decode_jpeg(cmyk_jpeg(255, 0, 0, 0), cmyk, error)) << error;
  EXPECT_TRUE(near(cmyk.pixels[0], qRgb(0, 255, 255), 8));
}

TEST_F(PictureTest, BrokenFilesAreRefusedWithAReason) {
  const Bytes jpeg = saved(sample(), "JPG");
  const Bytes tiff = saved(sample(), "TIFF");
  DecodedImage image;
  std::string error;
  EXPECT_FALSE(decode_jpeg(Bytes(jpeg.begin(), jpeg.begin() + 20), image, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_FALSE(decode_jpeg(Bytes{}, image, error));
  error.clear();
  EXPECT_FALSE(decode_tiff(Bytes(tiff.begin(), tiff.begin() + 12), image, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(decode_tiff(Bytes{'I', 'I', 42, 0}, image, error));
  // A header claiming a picture too large to hold is refused before any pixel is read.
  const Bytes huge = grey_tiff(100000, 100000, {0});
  EXPECT_FALSE(decode_tiff(huge, image, error));
  EXPECT_EQ(1, load_picture(Bytes{1, 2, 3}, PictureFormat::Png).error);
  EXPECT_EQ(static_cast<int>(kovw::shell::PcxError::TooShort),
            load_picture(Bytes{0x0A}, PictureFormat::Pcx).error);
}

TEST_F(PictureTest, KindsByExtension) {
  EXPECT_EQ("jpeg", file_extension("HW/pics/A.B/photo.JPEG"));
  EXPECT_EQ("", file_extension("dir.d/noextension"));
  EXPECT_EQ(MediaKind::Picture, media_kind("tiff"));
  EXPECT_EQ(MediaKind::Picture, media_kind("gif"));
  EXPECT_EQ(MediaKind::Sound, media_kind("wav"));
  EXPECT_EQ(MediaKind::Unknown, media_kind("mp3"));
}

class PictureDisplayTest : public ::kovw::test::LogFileTest {
 protected:
  void SetUp() override {
    ::kovw::test::LogFileTest::SetUp();
    test::ensure_application();
  }
  PictureOutcome show(const std::string& name, QImage& target) {
    QPainter painter(&target);
    PainterRenderer renderer(painter);
    PictureRequest request;
    request.file_name = name;
    request.rect = QRectF(0, 0, 4, 4);
    request.program = 3;
    return show_picture(renderer, request);
  }
  bool logged(const std::string& text) const {
    for (const std::string& m : messages())
      if (m == text) return true;
    return false;
  }
};

TEST_F(PictureDisplayTest, LocalFilesAreDrawnIntoTheirRectangle) {
  const std::string path = dir_ + "/red.png";
  QImage red(1, 1, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  ASSERT_TRUE(red.save(QString::fromStdString(path), "PNG"));
  QImage target = test::white_image(6, 6);
  EXPECT_EQ(PictureOutcome::Shown, show("kovw:" + path, target));
  EXPECT_EQ(qRgb(255, 0, 0), target.pixel(0, 0));
  EXPECT_EQ(qRgb(255, 0, 0), target.pixel(3, 3));
  EXPECT_EQ(qRgb(255, 255, 255), target.pixel(4, 4));
  EXPECT_TRUE(logged("dwmedia: Ausführung"));
  EXPECT_TRUE(logged("dwmedia: Ende"));
}

TEST_F(PictureDisplayTest, HostFilesComeThroughTheCache) {
  const std::string cached = dir_ + "/cached.png";
  QImage blue(1, 1, QImage::Format_RGB32);
  blue.fill(qRgb(0, 0, 255));
  ASSERT_TRUE(blue.save(QString::fromStdString(cached), "PNG"));
  QImage target = test::white_image(6, 6);
  QPainter painter(&target);
  PainterRenderer renderer(painter);
  PictureRequest request;
  request.file_name = "/host/pics/logo.png";
  request.rect = QRectF(0, 0, 4, 4);
  request.program = 3;
  std::string asked;
  request.fetch = [&](const std::string& name, const std::string& extension, std::string&) {
    asked = name + " " + extension;
    return cached;
  };
  EXPECT_EQ(PictureOutcome::Shown, show_picture(renderer, request));
  EXPECT_EQ("/host/pics/logo.png png", asked);
  EXPECT_EQ(qRgb(0, 0, 255), target.pixel(2, 2));
  // A fetch that fails is logged with its reason.
  request.fetch = [](const std::string&, const std::string&, std::string& error) {
    error = "Fehler 2";
    return std::string();
  };
  EXPECT_EQ(PictureOutcome::NotTransferred, show_picture(renderer, request));
  EXPECT_TRUE(logged("kovg(3): 236 Dateifehler Fehler 2 beim Übertragen von /host/pics/logo.png"));
}

TEST_F(PictureDisplayTest, FailuresAreLoggedWithTheirNumbers) {
  QImage target = test::white_image(6, 6);
  EXPECT_EQ(PictureOutcome::EmptyName, show("", target));
  EXPECT_TRUE(logged("kovg(3): 271 Bildpfad ist leer."));
  EXPECT_EQ(PictureOutcome::UnknownKind, show("kovw:x/clip.mp3", target));
  EXPECT_TRUE(logged("kovg(3): 277Unbekanntes Bildformat mp3. kovw:x/clip.mp3"));
  EXPECT_EQ(PictureOutcome::NotTransferred, show("/host/pics/a.png", target));
  EXPECT_TRUE(
      logged("kovg(3): 236 Dateifehler Dateiübertragung nicht verfügbar beim Übertragen von "
             "/host/pics/a.png"));
  const std::string missing = dir_ + "/missing.bmp";
  EXPECT_EQ(PictureOutcome::FileError, show("kovw:" + missing, target));
  EXPECT_TRUE(
      logged("kovg(3): 234 Dateifehler 2 beim Oeffnen von kovw:" + missing + " (" + missing + ")"));
  const std::string broken = dir_ + "/broken.jpg";
  std::ofstream(broken) << "not a picture";
  EXPECT_EQ(PictureOutcome::DecodeError, show("kovw:" + broken, target));
  bool conversion_logged = false;
  for (const std::string& m : messages())
    conversion_logged |= m.rfind("kovg(3): 237 Fehler 1 beim Konvertieren von kovw:", 0) == 0;
  EXPECT_TRUE(conversion_logged);
  EXPECT_EQ(0, test::inked(target, target.rect()));  // nothing drawn by any of them
}

}  // namespace
}  // namespace kovw::graphics
