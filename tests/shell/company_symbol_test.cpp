// The company symbol: the first non-empty "compsym.*" of the data directory in each known
// format, and the error of a file that cannot be converted.
#include "shell/company_symbol.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include "pcx_writer.h"

namespace kovw::shell {
namespace {

void write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QImage red_picture() {
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 0));
  return image;
}

QByteArray encoded(const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(red_picture().save(&buffer, format)) << format;
  return bytes;
}

// A 6 x 4 GIF of one red colour (Qt reads GIF but does not write it).
QByteArray gif_picture() {
  const unsigned char bytes[] = {
      'G',  'I', 'F', '8', '9', 'a', 6, 0, 4, 0, 0x80, 0, 0,    0xFF, 0,    0,    0,    0, 0,
      0x2C, 0,   0,   0,   0,   6,   0, 4, 0, 0, 2,    5, 0x84, 0x8F, 0xA9, 0xCB, 0x5D, 0, 0x3B};
  return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

QByteArray pcx_picture() {
  test::Bytes b = test::pcx_header(6, 4, 8, 3, 6);
  for (int line = 0; line < 4; ++line) {
    b.push_back(0xC6);
    b.push_back(0xFF);  // red plane
    b.push_back(0xC6);
    b.push_back(0);
    b.push_back(0xC6);
    b.push_back(0);
  }
  return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}

TEST(CompanySymbol, IsReadInEachFormat) {
  const struct {
    const char* extension;
    QByteArray bytes;
  } cases[] = {{"bmp", encoded("BMP")}, {"png", encoded("PNG")}, {"jpg", encoded("JPG")},
               {"gif", gif_picture()},  {"ico", encoded("ICO")}, {"tif", encoded("TIFF")},
               {"pcx", pcx_picture()}};
  for (const auto& c : cases) {
    QTemporaryDir dir;
    write(dir.filePath(QStringLiteral("compsym.") + c.extension), c.bytes);
    const CompanySymbol symbol = load_company_symbol(dir.path());
    ASSERT_FALSE(symbol.image.isNull()) << c.extension << " " << symbol.error_text.toStdString();
    EXPECT_EQ(symbol.image.size(), QSize(6, 4)) << c.extension;
    const QColor centre = symbol.image.pixelColor(3, 2);
    EXPECT_GT(centre.red(), 200) << c.extension;
    EXPECT_LT(centre.green(), 60) << c.extension;
  }
}

TEST(CompanySymbol, TakesTheFirstNonEmptyFileAndReportsConversionErrors) {
  QTemporaryDir dir;
  EXPECT_TRUE(load_company_symbol(dir.path()).path.isEmpty());
  write(dir.filePath("compsym.bmp"), {});  // empty: skipped
  write(dir.filePath("compsym.png"), "not a picture");
  write(dir.filePath("compsym.pcx"), pcx_picture());
  CompanySymbol symbol = load_company_symbol(dir.path());
  EXPECT_TRUE(symbol.path.endsWith("compsym.png"));
  EXPECT_TRUE(symbol.image.isNull());
  EXPECT_FALSE(symbol.error_text.isEmpty());

  QFile::remove(dir.filePath("compsym.png"));
  write(dir.filePath("compsym.pcx"), "\x0A\x05\x01");
  symbol = load_company_symbol(dir.path());
  EXPECT_TRUE(symbol.image.isNull());
  EXPECT_EQ(symbol.error, 1);  // too short for the header
}

}  // namespace
}  // namespace kovw::shell
