// The print language drawn into PDF files and read back with the poppler tools.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "print/pdf_check.h"

using namespace std::string_literals;

namespace kovw::print::test {
namespace {

const std::string ESC = "\x1b";

class PrintPdf : public ::testing::Test {
 protected:
  // KOVW_KEEP_PDF=1 keeps the files for a look.
  PrintPdf() { dir_.setAutoRemove(qEnvironmentVariableIsEmpty("KOVW_KEEP_PDF")); }
  QString file(const char* name) { return dir_.filePath(QString::fromLatin1(name)); }
  QTemporaryDir dir_;
};

TEST_F(PrintPdf, FiveLettersAndAFormFeedMakeOnePageWithTheLettersAtTheMarginCorner) {
  const QString path = file("letters.pdf");
  const InterpretResult r = print_to_pdf("ABCDE\f", path);
  EXPECT_FALSE(r.failed);
  const PdfText text = pdf_text(path);
  EXPECT_EQ(text.pages, 1);
  EXPECT_NEAR(text.page_width, 595.3, 0.5);  // A4
  const PdfWord* word = text.find("ABCDE");
  ASSERT_NE(word, nullptr);
  EXPECT_NEAR(word->x_min, 0, 1.0);
  EXPECT_NEAR(word->y_min, 0, 2.0);                      // the top margin is the font's ascent
  EXPECT_NEAR(word->x_max - word->x_min, 5 * 6.0, 0.5);  // Courier 10 points: 6 points each
  EXPECT_FALSE(QFile::exists(path + ".part"));
}

TEST_F(PrintPdf, AFormFeedAloneGivesOneEmptyPageAndAnEmptyJobNoFile) {
  print_to_pdf("\f", file("empty.pdf"));
  EXPECT_EQ(pdf_text(file("empty.pdf")).pages, 1);
  print_to_pdf("", file("none.pdf"));
  EXPECT_FALSE(QFile::exists(file("none.pdf")));
  EXPECT_FALSE(QFile::exists(file("none.pdf.part")));
}

TEST_F(PrintPdf, DecipointPositions) {
  const QString path = file("positions.pdf");
  print_to_pdf(ESC + "720XA" + ESC + "+360XB" + ESC + "0;1440GC", path);
  const PdfText text = pdf_text(path);
  ASSERT_NE(text.find("A"), nullptr);
  ASSERT_NE(text.find("B"), nullptr);
  ASSERT_NE(text.find("C"), nullptr);
  EXPECT_NEAR(text.find("A")->x_min, 72.0, 1.0);           // one inch
  EXPECT_NEAR(text.find("B")->x_min, 72.0 + 6 + 36, 1.0);  // half an inch further
  EXPECT_NEAR(text.find("C")->y_min - text.find("A")->y_min, 144.0, 1.0);
}

TEST_F(PrintPdf, LineFeedsPastTheBottomContinueAtTheTopOfTheNextPage) {
  const QString path = file("lines.pdf");
  std::string stream;
  for (int i = 0; i < 75; ++i) stream += "Line" + std::to_string(100 + i) + "\r\n";
  print_to_pdf(stream, path);
  const PdfText text = pdf_text(path);
  EXPECT_EQ(text.pages, 2);
  const PdfWord* last_on_first = text.find("Line169");
  const PdfWord* first_on_second = text.find("Line170");
  ASSERT_NE(last_on_first, nullptr);
  ASSERT_NE(first_on_second, nullptr);
  EXPECT_EQ(last_on_first->page, 1);
  EXPECT_LT(last_on_first->y_max, text.page_height);
  EXPECT_EQ(first_on_second->page, 2);
  EXPECT_NEAR(first_on_second->y_min, 0, 2.0);
}

TEST_F(PrintPdf, StackPushesAndPops) {
  const QString path = file("stack.pdf");
  print_to_pdf(ESC + "720;720G" + ESC + "1SA" + ESC + "2880;2880GB" + ESC + "0SC", path);
  const PdfText text = pdf_text(path);
  ASSERT_NE(text.find("A"), nullptr);
  ASSERT_NE(text.find("C"), nullptr);
  EXPECT_NEAR(text.find("C")->x_min, text.find("A")->x_min, 0.5);
  EXPECT_NEAR(text.find("C")->y_min, text.find("A")->y_min, 0.5);
}

TEST_F(PrintPdf, FillPatterns) {
  const QString path = file("patterns.pdf");
  // Four squares of an inch, no outline: black (3), light grey (1), cross hatching (21), and
  // pattern 9 (white with a black fill colour) over a black square.
  print_to_pdf(ESC + "0;1;0;0m" + ESC + "0w" + ESC + "3v" + ESC + "0;0;720;720r" + ESC + "1v" +
                   ESC + "1440;0;2160;720r" + ESC + "21v" + ESC + "2880;0;3600;720r" + ESC + "3v" +
                   ESC + "0;1440;720;2160r" + ESC + "9v" + ESC + "180;1620;540;1980r" + "\f",
               path);
  const QImage page = pdf_page(path, 1, 150);
  ASSERT_FALSE(page.isNull());
  const int top = 5;
  EXPECT_GT(dark_share(page, QRect(10, top, 120, 120)), 0.99);
  EXPECT_LT(dark_share(page, QRect(310, top, 120, 120)), 0.01);
  const double hatch = dark_share(page, QRect(610, top, 120, 120));
  EXPECT_GT(hatch, 0.05);
  EXPECT_LT(hatch, 0.95);
  EXPECT_LT(dark_share(page, QRect(50, 340, 60, 60)), 0.01);   // white inside
  EXPECT_GT(dark_share(page, QRect(10, 310, 20, 120)), 0.99);  // black around it
}

std::string square_bitmap(int compression) {
  // A 64 x 64 bitmap at 300 dpi, one bit per pixel, all set: a black square of 0.213 inch.
  std::string s = ESC + "64;64;300;0b" + ESC + std::to_string(compression) + "k";
  switch (compression) {
    case 0:
      for (int row = 0; row < 64; ++row) s += ESC + "0;8d" + std::string(8, '\xFF');
      break;
    case 1:
      for (int row = 0; row < 64; ++row) s += ESC + "0;2d\xF9\xFF";  // 8 × 0xFF
      break;
    case 3:
      s = ESC + "64;64;300;0b" + ESC + "0k" + ESC + "0;8d" + std::string(8, '\xFF') + ESC + "3k" +
          ESC + "0;63d";
      break;
  }
  return s + ESC + "99k";
}

TEST_F(PrintPdf, BitmapsInEachCompression) {
  for (int compression : {0, 1, 3}) {
    SCOPED_TRACE(compression);
    const QString path = file("bitmap.pdf");
    print_to_pdf(ESC + "0;1;0;0m" + ESC + "720;720G" + square_bitmap(compression), path);
    const QImage page = pdf_page(path, 1, 150);
    ASSERT_FALSE(page.isNull());
    // 64 pixels at 300 dpi are 32 at 150 dpi, from (150, 150).
    EXPECT_GT(dark_share(page, QRect(152, 152, 28, 28)), 0.99);
    EXPECT_LT(dark_share(page, QRect(150, 186, 32, 10)), 0.01);
    EXPECT_LT(dark_share(page, QRect(186, 150, 10, 32)), 0.01);
    EXPECT_LT(dark_share(page, QRect(130, 130, 18, 18)), 0.01);
  }
}

TEST_F(PrintPdf, DeltaRowBitmapKeepsThePreviousRowAndChangesBytes) {
  const QString path = file("delta.pdf");
  // Row 0: all set; rows 1 to 63 repeat it through an empty delta row, except that the right
  // half (bytes 4 to 7) is cleared in rows 32 and on.
  std::string s = ESC + "0;1;0;0m" + ESC + "720;720G" + ESC + "64;64;300;0b" + ESC + "2k";
  s += ESC + "0;9d\xE0" + std::string(8, '\xFF');
  s += ESC + "0;0;31d";  // p2 0: a row of zeros, 31 times
  s += ESC + "0;0;32d";
  s += ESC + "99k";
  print_to_pdf(s, path);
  const QImage page = pdf_page(path, 1, 150);
  EXPECT_GT(dark_share(page, QRect(152, 150, 28, 1)), 0.99);
  EXPECT_LT(dark_share(page, QRect(152, 160, 28, 20)), 0.01);
}

TEST_F(PrintPdf, OverlaysOnEveryPageAndARecursiveOneRefused) {
  const QString path = file("overlay.pdf");
  const std::string form = ESC + "0;5040GFORMFOOT" + ESC + "0;3o";  // tries to recurse
  print_to_pdf(ESC + "0;1;" + std::to_string(form.size()) + "o" + form + ESC + "0;3o" +
                   "Page1\fPage2\fPage3",
               path);
  const PdfText text = pdf_text(path);
  EXPECT_EQ(text.pages, 3);
  int forms = 0;
  for (const PdfWord& w : text.words) {
    if (w.text != "FORMFOOT") continue;
    ++forms;
    EXPECT_NEAR(w.y_min, 504.0, 2.0);
  }
  EXPECT_EQ(forms, 3);
}

TEST_F(PrintPdf, PaperSizeAndOrientationFromTheNextPage) {
  const QString path = file("paper.pdf");
  print_to_pdf("portrait" + ESC + "1O" + ESC + "5P\flandscape", path);
  const PdfText text = pdf_text(path);
  EXPECT_EQ(text.pages, 2);
  EXPECT_NEAR(text.page_width, 595.3, 0.5);
  ASSERT_EQ(text.page_sizes.size(), 2u);
  EXPECT_NEAR(text.page_sizes[1].width(), 595.3, 1.0);  // A5 across
  EXPECT_NEAR(text.page_sizes[1].height(), 419.5, 1.0);
  const PdfWord* word = text.find("landscape");
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(word->page, 2);
}

TEST_F(PrintPdf, TheSampleInvoicePrintsOnTwoPagesWithItsFooterOnEach) {
  QFile invoice(QStringLiteral(KOVW_SOURCE_DIR "/tools/hostsim/invoice.kovwp"));
  ASSERT_TRUE(invoice.open(QIODevice::ReadOnly));
  const QString path = file("invoice.pdf");
  const InterpretResult r = print_to_pdf(invoice.readAll().toStdString(), path);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.first_error, 0);
  const PdfText text = pdf_text(path);
  EXPECT_EQ(text.pages, 2);
  ASSERT_NE(text.find("Rechnung"), nullptr);
  ASSERT_NE(text.find("Lieferschein"), nullptr);
  EXPECT_EQ(text.find("Lieferschein")->page, 2);
  ASSERT_NE(text.find("Gesamt"), nullptr);
  int footers = 0;
  for (const PdfWord& w : text.words) footers += w.text == "DE123456789" ? 1 : 0;
  EXPECT_EQ(footers, 2);
  // The item rows line up: every amount ends at the same place.
  std::vector<double> ends;
  for (const PdfWord& w : text.words)
    if (w.page == 1 && w.text.find(',') != std::string::npos && w.x_max > 480)
      ends.push_back(w.x_max);
  ASSERT_EQ(ends.size(), 13u);  // ten items, net, tax and total
  for (double end : ends) EXPECT_NEAR(end, ends.front(), 0.5);
  if (!qEnvironmentVariableIsEmpty("KOVW_KEEP_PDF"))
    pdf_page(path, 1, 100).save(file("invoice.png"));
}

}  // namespace
}  // namespace kovw::print::test
