#include "print/pdf_check.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "print/painter_print_device.h"
#include "print/print_application.h"

namespace kovw::print::test {

const PdfWord* PdfText::find(const std::string& text) const {
  for (const PdfWord& w : words)
    if (w.text == text) return &w;
  return nullptr;
}

namespace {

QByteArray run_tool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) return {};
  return process.readAllStandardOutput();
}

}  // namespace

PdfText pdf_text(const QString& path) {
  PdfText result;
  const QString xhtml = QString::fromUtf8(
      run_tool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")}));
  static const QRegularExpression page_pattern(
      QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
  static const QRegularExpression word_pattern(QStringLiteral(
      R"re(<word xMin="(-?[\d.]+)" yMin="(-?[\d.]+)" xMax="(-?[\d.]+)" yMax="(-?[\d.]+)">([^<]*)</word>)re"));
  for (const QString& line : xhtml.split(QLatin1Char('\n'))) {
    if (const auto page = page_pattern.match(line); page.hasMatch()) {
      result.page_sizes.emplace_back(page.captured(1).toDouble(), page.captured(2).toDouble());
      if (++result.pages == 1) {
        result.page_width = page.captured(1).toDouble();
        result.page_height = page.captured(2).toDouble();
      }
      continue;
    }
    if (const auto word = word_pattern.match(line); word.hasMatch()) {
      PdfWord w;
      w.x_min = word.captured(1).toDouble();
      w.y_min = word.captured(2).toDouble();
      w.x_max = word.captured(3).toDouble();
      w.y_max = word.captured(4).toDouble();
      w.text = word.captured(5).toStdString();
      w.page = result.pages;
      result.words.push_back(w);
    }
  }
  return result;
}

QImage pdf_page(const QString& path, int page, int dpi) {
  QTemporaryDir dir;
  const QString prefix = dir.filePath(QStringLiteral("page"));
  run_tool(QStringLiteral("pdftoppm"),
           {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi),
            QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
            QString::number(page), QStringLiteral("-singlefile"), path, prefix});
  QImage image(prefix + QStringLiteral(".pgm"));
  return image.convertToFormat(QImage::Format_Grayscale8);
}

double dark_share(const QImage& image, const QRect& area) {
  const QRect r = area.intersected(image.rect());
  if (r.isEmpty()) return 0;
  long dark = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    const uchar* line = image.constScanLine(y);
    for (int x = r.left(); x <= r.right(); ++x) dark += line[x] < 128 ? 1 : 0;
  }
  return double(dark) / (double(r.width()) * r.height());
}

InterpretResult print_to_pdf(const std::string& stream, const QString& path, PrintOptions options,
                             PrintErrorSink* errors) {
  application();
  PdfPageTarget target(path, QStringLiteral("test"));
  PainterPrintDevice device(target);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());
  return interpret_print_stream(device, {bytes, stream.size()}, options, errors);
}

}  // namespace kovw::print::test
