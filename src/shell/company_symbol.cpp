#include "shell/company_symbol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "shell/pcx_image.h"

namespace kovw::shell {

QStringList company_symbol_extensions() {
  return {QStringLiteral("bmp"),  QStringLiteral("png"),  QStringLiteral("jpg"),
          QStringLiteral("jpeg"), QStringLiteral("gif"),  QStringLiteral("ico"),
          QStringLiteral("tif"),  QStringLiteral("tiff"), QStringLiteral("pcx")};
}

namespace {

// A PCX file's largest accepted size; larger files are refused before reading.
constexpr qint64 kPcxFileMax = 64 * 1024 * 1024;

void load_pcx(CompanySymbol& symbol) {
  QFile file(symbol.path);
  if (file.size() > kPcxFileMax) {
    symbol.error = static_cast<int>(PcxError::BadSize);
    symbol.error_text = QStringLiteral("PCX");
    return;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    symbol.error = static_cast<int>(file.error());
    symbol.error_text = file.errorString();
    return;
  }
  const QByteArray bytes = file.readAll();
  PcxImage pcx;
  const PcxError error =
      decode_pcx(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size())),
                 pcx);
  if (error != PcxError::None) {
    symbol.error = static_cast<int>(error);
    symbol.error_text = QStringLiteral("PCX");
    return;
  }
  QImage image(pcx.width, pcx.height, QImage::Format_ARGB32);
  for (int y = 0; y < pcx.height; ++y) {
    std::copy_n(pcx.pixels.data() + static_cast<std::size_t>(y) * pcx.width, pcx.width,
                reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
  }
  symbol.image = image;
}

}  // namespace

CompanySymbol load_company_symbol(const QString& data_directory) {
  CompanySymbol symbol;
  const QDir dir(data_directory);
  for (const QString& extension : company_symbol_extensions()) {
    const QFileInfo info(dir.filePath(QStringLiteral("compsym.") + extension));
    if (!info.isFile() || info.size() == 0) continue;
    symbol.path = info.filePath();
    if (extension == QLatin1String("pcx")) {
      load_pcx(symbol);
    } else {
      QImageReader reader(symbol.path, extension.toLatin1());
      if (!reader.read(&symbol.image)) {
        symbol.error = static_cast<int>(reader.error());
        symbol.error_text = reader.errorString();
      }
    }
    return symbol;
  }
  return symbol;
}

}  // namespace kovw::shell
