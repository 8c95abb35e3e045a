// What a window hardcopy makes: bitmap files at each depth, the printed page (read back from a
// PDF), the picture of a text screen, and files that survive a failed save.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "session/program/hardcopy_text.h"
#include "session/program/text_cells.h"
#include "session/session_fixture.h"
#include "session/view/hardcopy_bitmap.h"
#include "session/view/hardcopy_job.h"
#include "session/view/text_screen_painter.h"

namespace kovw::session::test {
namespace {

std::uint32_t le32(const QByteArray& bytes, int at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}
int le16(const QByteArray& bytes, int at) {
  return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8;
}

TEST(HardcopyBitmap, HeadersAndRowsAtEachDepth) {
  // 3 x 2: top row red, white, black; bottom row all blue.
  QImage image(3, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  image.setPixel(1, 0, qRgb(255, 255, 255));
  image.setPixel(2, 0, qRgb(0, 0, 0));
  for (int x = 0; x < 3; ++x) image.setPixel(x, 1, qRgb(0, 0, 255));
  struct Case {
    int bits;
    int colours;
    int stride;
  } cases[] = {{1, 2, 4}, {4, 16, 4}, {8, 4, 4}, {24, 0, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const QByteArray file = bitmap_file(image, c.bits);
    const int offset = 14 + 40 + 4 * c.colours;
    ASSERT_EQ(file.size(), offset + 2 * c.stride);
    EXPECT_EQ(file.left(2), "BM");
    EXPECT_EQ(le32(file, 2), static_cast<std::uint32_t>(file.size()));
    EXPECT_EQ(le32(file, 10), static_cast<std::uint32_t>(offset));
    EXPECT_EQ(le32(file, 14), 40u);
    EXPECT_EQ(le32(file, 18), 3u);
    EXPECT_EQ(le32(file, 22), 2u);  // positive: bottom-up rows
    EXPECT_EQ(le16(file, 26), 1);
    EXPECT_EQ(le16(file, 28), c.bits);
    EXPECT_EQ(le32(file, 30), 0u);
    EXPECT_EQ(le32(file, 34), static_cast<std::uint32_t>(2 * c.stride));
    EXPECT_EQ(le32(file, 46), static_cast<std::uint32_t>(c.colours));
    // The pixels read back as the nearest colours of the table: the file is a valid bitmap.
    const QImage back = QImage::fromData(file, "BMP");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(back.pixel(2, 0), qRgb(0, 0, 0));
    if (c.bits >= 4) {
      EXPECT_EQ(back.pixel(0, 0), qRgb(255, 0, 0));
      EXPECT_EQ(back.pixel(0, 1), qRgb(0, 0, 255));
    }
  }
  // The first stored row is the picture's bottom row: blue in 24 bits is FF 00 00.
  const QByteArray file = bitmap_file(image, 24);
  EXPECT_EQ(file.mid(54, 3), QByteArray("\xFF\x00\x00", 3));
  EXPECT_TRUE(bitmap_file(QImage(), 24).isEmpty());
  EXPECT_TRUE(bitmap_file(image, 16).isEmpty());
  EXPECT_EQ(bitmap_bits_for_depth(1), 1);
  EXPECT_EQ(bitmap_bits_for_depth(2), 4);
  EXPECT_EQ(bitmap_bits_for_depth(8), 8);
  EXPECT_EQ(bitmap_bits_for_depth(16), 24);
}

TextScreenLook paper_look() {
  TextScreenLook look;
  look.font_name = "Courier New";
  look.font_tenths = 120;
  look.foreground_colours.fill(Qt::black);
  look.background_colours.fill(Qt::white);
  look.foreground_colours[3] = Qt::red;
  look.edge_light = look.edge_shadow = look.button_face = look.button_text = Qt::gray;
  return look;
}

// A text screen of `rows` written in order, `columns` wide, padded with blanks.
HardcopySource text_source(const std::vector<std::string_view>& rows, int columns) {
  HardcopySource source;
  source.description = "Kunden (test)";
  source.look = paper_look();
  source.columns = columns;
  for (const std::string_view row : rows) {
    for (int column = 0; column < columns; ++column) {
      const char c =
          column < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(column)] : ' ';
      source.cells.push_back(make_cell(kResetAttribute, static_cast<std::uint8_t>(c)));
    }
  }
  source.view = {0, 0, static_cast<int>(rows.size()), columns};
  return source;
}

QString pdf_text(const QString& path) {
  QProcess process;
  process.start("pdftotext", {"-layout", path, "-"});
  if (!process.waitForFinished(30000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(HardcopyPrint, PdfPageHoldsHeadingFooterAndRowsInBothModes) {
  test_app();
  QTemporaryDir dir;
  const HardcopySource source =
      text_source({"Kundennummer 4711", "Name        Meier", "Ort         Ulm"}, 40);
  HardcopyPageTexts texts{source.description, "anna:pc7 03.04.2026 05:06:07",
                          hardcopy_footer(QDateTime(QDate(2026, 4, 3), QTime(5, 6, 7)))};
  for (const bool text_mode : {true, false}) {
    SCOPED_TRACE(text_mode);
    HardcopySettings settings;
    settings.format = text_mode ? kHardcopyText : kHardcopyBmp;
    const QString path = dir.filePath(text_mode ? "text.pdf" : "picture.pdf");
    {
      QPdfWriter writer(path);
      writer.setResolution(300);
      ASSERT_TRUE(print_hardcopy(writer, source, settings, texts, nullptr));
    }
    const QString text = pdf_text(path);
    EXPECT_TRUE(text.contains("anna:pc7 03.04.2026 05:06:07")) << text.toStdString();
    EXPECT_TRUE(text.contains("Kunden (test)"));
    EXPECT_TRUE(text.contains("2026"));
    // Rows are text on the page only in text mode; the picture form has them as pixels.
    EXPECT_EQ(text.contains("Kundennummer 4711"), text_mode) << text.toStdString();
    if (text_mode) {
      EXPECT_LT(text.indexOf("Kundennummer"), text.indexOf("Meier"));
      EXPECT_LT(text.indexOf("Meier"), text.indexOf("Ulm"));
    }
  }
  // Without the heading only the rows and the footer are printed.
  HardcopySettings settings;
  settings.format = kHardcopyText;
  settings.no_heading = true;
  const QString path = dir.filePath("plain.pdf");
  {
    QPdfWriter writer(path);
    ASSERT_TRUE(print_hardcopy(writer, source, settings, texts, nullptr));
  }
  const QString text = pdf_text(path);
  EXPECT_FALSE(text.contains("anna:pc7"));
  EXPECT_TRUE(text.contains("Ort         Ulm") || text.contains("Ort Ulm")) << text.toStdString();
}

TEST(HardcopyPrint, TheGridFillsThePageWidthInsideTheMargins) {
  test_app();
  QTemporaryDir dir;
  const HardcopySource source = text_source({std::string(80, 'x')}, 80);
  QPdfWriter writer(dir.filePath("wide.pdf"));
  writer.setResolution(600);
  HardcopySettings settings;
  set_hardcopy_margins(writer, settings.margins);
  QPainter painter(&writer);
  const QRect page = hardcopy_page_rect(writer);
  // 210 mm less 25 and 10 mm of margins at 600 dpi.
  EXPECT_NEAR(page.width(), (210.0 - 35.0) / 25.4 * 600, 3);
  const QRect painted = TextScreenPainter::paint_page(painter, source.look, source.cells, 80,
                                                      source.view, page, true);
  EXPECT_LE(painted.width(), page.width());
  EXPECT_GT(painted.width(), page.width() * 9 / 10);
  EXPECT_EQ(painted.topLeft(), page.topLeft());
}

TEST(HardcopyPicture, TextScreenPictureShowsTheVisibleCellsInTheirColours) {
  test_app();
  HardcopySource source = text_source({"ab", "cd", "ef"}, 2);
  source.cells[3] = make_cell(kResetAttribute & ~kAttrBackgroundMask, 'd');  // background 0
  source.look.background_colours[0] = Qt::green;
  source.view = {1, 1, 1, 1};  // only "d"
  const QImage image = source.picture(kHardcopyWholeWindow);
  const TextScreenPainter cells(source.look);
  ASSERT_EQ(image.size(), cells.grid_size(1, 1));
  EXPECT_EQ(image.pixel(0, 0), QColor(Qt::green).rgb());
  // The file bytes of a picture format are a 24-bit bitmap of that picture.
  const QByteArray file = hardcopy_file_bytes(source, kHardcopyBmp, kHardcopyWholeWindow);
  EXPECT_EQ(QImage::fromData(file, "BMP").size(), image.size());
  EXPECT_EQ(hardcopy_file_bytes(source, kHardcopyText, 0), QByteArray("d\r\n"));
}

TEST(HardcopySave, AnExistingFileSurvivesAFailedSave) {
  QTemporaryDir dir;
  const QString path = dir.filePath("screen.txt");
  {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
  }
  // The file system refuses to grow a file past 4 KB: the write of 64 KB fails half way.
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QString reason;
  const int error = save_hardcopy_file(path, QByteArray(65536, 'x'), &reason);
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_NE(error, 0);
  EXPECT_FALSE(reason.isEmpty());
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old contents");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
            QStringList{"screen.txt"});  // nothing left over
  // A save that succeeds replaces it.
  EXPECT_EQ(save_hardcopy_file(path, "new"), 0);
  old.close();
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "new");
  // A directory that does not exist gives an error, and no file.
  EXPECT_NE(save_hardcopy_file(dir.filePath("no/such/dir.txt"), "x"), 0);
}

}  // namespace
}  // namespace kovw::session::test
