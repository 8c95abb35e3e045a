#pragma once
// Looking into the PDF files the print tests write, with the poppler tools: the words with
// their boxes (pdftotext -bbox, in points from the top-left corner) and a page as pixels
// (pdftoppm).

#include <QImage>
#include <QSizeF>
#include <QString>
#include <string>
#include <vector>

#include "print/print_interpreter.h"

namespace kovw::print::test {

struct PdfWord {
  std::string text;
  double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
  int page = 0;  // from 1
};

struct PdfText {
  int pages = 0;
  double page_width = 0, page_height = 0;  // of the first page, points
  std::vector<QSizeF> page_sizes;
  std::vector<PdfWord> words;
  const PdfWord* find(const std::string& text) const;
};

PdfText pdf_text(const QString& path);
// Page `page` (from 1) at `dpi`, as 8-bit grey.
QImage pdf_page(const QString& path, int page, int dpi);
// The share (0 to 1) of pixels darker than mid-grey in `area` of `image`.
double dark_share(const QImage& image, const QRect& area);

// Interprets `stream` onto a PDF file at `path` (600 dpi, A4).
InterpretResult print_to_pdf(const std::string& stream, const QString& path,
                             PrintOptions options = {}, PrintErrorSink* errors = nullptr);

}  // namespace kovw::print::test
