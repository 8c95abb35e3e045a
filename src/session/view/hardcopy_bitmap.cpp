#include "session/view/hardcopy_bitmap.h"

#include <QImage>
#include <QList>
#include <QSet>
#include <algorithm>

namespace kovw::session {

namespace {

void put16(QByteArray& out, int value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

void put32(QByteArray& out, qint64 value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.append(static_cast<char>((value >> shift) & 0xFF));
}

QList<QRgb> standard_16() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
          qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// The picture's own colours when there are at most 256, else a 6 x 6 x 6 cube and greys.
QList<QRgb> table_256(const QImage& image) {
  QSet<QRgb> seen;
  for (int y = 0; y < image.height() && seen.size() <= 256; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width() && seen.size() <= 256; ++x)
      seen.insert(line[x] | 0xFF000000u);
  }
  QList<QRgb> table;
  if (seen.size() <= 256) {
    table = QList<QRgb>(seen.begin(), seen.end());
    std::sort(table.begin(), table.end());
    return table;
  }
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) table.append(qRgb(r * 51, g * 51, b * 51));
  for (int i = 1; i <= 40; ++i) table.append(qRgb(i * 255 / 41, i * 255 / 41, i * 255 / 41));
  return table;
}

}  // namespace

int bitmap_bits_for_depth(int depth) {
  if (depth <= 1) return 1;
  if (depth <= 4) return 4;
  if (depth <= 8) return 8;
  return 24;
}

QByteArray bitmap_file(const QImage& source, int bits) {
  if (source.isNull() || (bits != 1 && bits != 4 && bits != 8 && bits != 24)) return {};
  const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
  QList<QRgb> table;
  QImage indexed;
  if (bits != 24) {
    table = bits == 1   ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
            : bits == 4 ? standard_16()
                        : table_256(rgb);
    indexed =
        rgb.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
    if (indexed.isNull()) return {};
  }
  const qint64 width = rgb.width(), height = rgb.height();
  const qint64 stride = ((width * bits + 31) / 32) * 4;
  const qint64 table_bytes = static_cast<qint64>(table.size()) * 4;
  const qint64 offset = 14 + 40 + table_bytes;
  const qint64 image_bytes = stride * height;
  QByteArray out;
  out.reserve(static_cast<qsizetype>(offset + image_bytes));
  out.append("BM", 2);
  put32(out, offset + image_bytes);
  put32(out, 0);
  put32(out, offset);
  put32(out, 40);
  put32(out, width);
  put32(out, height);
  put16(out, 1);
  put16(out, bits);
  put32(out, 0);  // uncompressed
  put32(out, image_bytes);
  put32(out, 0);
  put32(out, 0);
  put32(out, table.size());
  put32(out, 0);
  for (const QRgb colour : table) {
    out.append(static_cast<char>(qBlue(colour)));
    out.append(static_cast<char>(qGreen(colour)));
    out.append(static_cast<char>(qRed(colour)));
    out.append('\0');
  }
  QByteArray row(static_cast<qsizetype>(stride), '\0');
  for (qint64 y = height - 1; y >= 0; --y) {
    row.fill('\0');
    auto* bytes = reinterpret_cast<unsigned char*>(row.data());
    if (bits == 24) {
      const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(static_cast<int>(y)));
      for (qint64 x = 0; x < width; ++x) {
        bytes[x * 3] = static_cast<unsigned char>(qBlue(line[x]));
        bytes[x * 3 + 1] = static_cast<unsigned char>(qGreen(line[x]));
        bytes[x * 3 + 2] = static_cast<unsigned char>(qRed(line[x]));
      }
    } else {
      const uchar* line = indexed.constScanLine(static_cast<int>(y));
      const int per_byte = 8 / bits;
      for (qint64 x = 0; x < width; ++x) {
        const int shift = 8 - bits * static_cast<int>(x % per_byte + 1);
        bytes[x / per_byte] |= static_cast<unsigned char>(line[x] << shift);
      }
    }
    out.append(row);
  }
  return out;
}

}  // namespace kovw::session
