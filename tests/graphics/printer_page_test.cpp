// The renderer on a printer: a PDF page holds the figures where the mapping puts them and the
// texts as text.

#include "graphics/printer_page.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "graphics/painter_renderer.h"
#include "graphics_test_support.h"
#include "platform/font_substitution.h"

namespace kovw::graphics {
namespace {

TEST(PrinterPageTest, APdfPageHoldsTheFiguresAndTexts) {
  test::ensure_application();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString pdf = dir.filePath("page.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
  // 1/100 mm: a square from 2 cm to 4 cm right of and below the paper's corner.
  const WorldMapping mapping = page_mapping(printer, 21000, 29700, true, false);
  {
    QPainter painter(&printer);
    PainterRenderer renderer(painter);
    const DevicePointF a = mapping.map_f(2000, -2000);
    const DevicePointF b = mapping.map_f(4000, -4000);
    Fill solid;
    solid.style = kFillSolid;
    renderer.rectangle(QRectF(QPointF(a.x, a.y), QPointF(b.x, b.y)), Stroke{}, solid, true);
    TextStyle style;
    style.font = QFont(platform::substitute_font_family("Arial"));
    style.font.setPixelSize(static_cast<int>(mapping.map_length_y_f(500)));  // 5 mm
    const DevicePointF at = mapping.map_f(2000, -6000);
    renderer.text(QPointF(at.x, at.y), u"Printed by the renderer", style, {});
  }
  QProcess text;
  text.start("pdftotext", {pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(30000));
  EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains("Printed by the renderer"));

  // The page at 72 dots per inch: 2 cm is 56.7 pixels.
  QProcess raster;
  raster.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.filePath("page")});
  ASSERT_TRUE(raster.waitForFinished(30000));
  const QImage page(dir.filePath("page.png"));
  ASSERT_FALSE(page.isNull());
  EXPECT_EQ(qRgb(0, 0, 0), page.pixel(85, 85) | 0xFF000000u);         // inside the square
  EXPECT_EQ(qRgb(255, 255, 255), page.pixel(50, 50) | 0xFF000000u);   // before it
  EXPECT_EQ(qRgb(255, 255, 255), page.pixel(120, 85) | 0xFF000000u);  // after it
}

}  // namespace
}  // namespace kovw::graphics
