// Pages per second of print jobs rendered to PDF, each beside bare QPdfWriter drawing of the same
// content: a text-heavy job (60 lines of mixed fonts per page, 100 pages) and a bitmap-heavy
// job (a 300-dpi raster page in PackBits on each of 10 pages). The print language's cost is
// the difference: parsing, its state, the device and the decoding of the rows.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <random>
#include <string>
#include <vector>

#include "bench_application.h"
#include "net/packbits.h"
#include "platform/font_substitution.h"
#include "print/painter_print_device.h"
#include "print/print_interpreter.h"

namespace {

using namespace kovw::print;

constexpr int kTextPages = 100;
constexpr int kLinesPerPage = 60;
constexpr int kBitmapPages = 10;
constexpr int kResolution = 600;
const std::string ESC = "\x1b";

struct Line {
  int font;  // 0 Courier New 10, 1 Arial 10 bold, 2 Times New Roman 11 italic
  std::string text;
  int y;  // decipoints
};

std::vector<Line> text_page(int page) {
  static const char* words[] = {"Rechnung", "invoice",      "delivery", "Artikel", "4711",  "12,50",
                                "quantity", "Lieferschein", "customer", "Summe",   "total", "EUR"};
  std::mt19937 random(static_cast<unsigned>(page));
  std::vector<Line> lines;
  for (int i = 0; i < kLinesPerPage; ++i) {
    std::string text;
    while (text.size() < 70) {
      text += words[random() % 12];
      text += ' ';
    }
    lines.push_back({i % 3, text, 600 + i * 125});
  }
  return lines;
}

std::string text_job() {
  static const char* fonts[] = {"0;0;10F", "1;2;10F", "2;1;11F"};
  std::string job = ESC + "E";
  for (int page = 0; page < kTextPages; ++page) {
    for (const Line& line : text_page(page))
      job += ESC + fonts[line.font] + ESC + "720;" + std::to_string(line.y) + "G" + line.text;
    job += "\f";
  }
  return job;
}

// A page of 2480 x 3508 pixels at 300 dpi: text-like runs of ink on white.
QImage raster_page() {
  QImage image(2480, 3508, QImage::Format_Mono);
  image.setColorTable({0xFFFFFFFF, 0xFF000000});
  image.fill(0);
  std::mt19937 random(3);
  for (int y = 200; y < 3300; y += 50) {
    for (int x = 200; x < 2280;) {
      const int word = 40 + static_cast<int>(random() % 200);
      for (int row = 0; row < 30; ++row)
        for (int dx = 0; dx < word && x + dx < 2280; ++dx)
          if ((dx + row) % 5 != 0) image.setPixel(x + dx, y + row, 1);
      x += word + 30;
    }
  }
  return image;
}

std::string bitmap_job(const QImage& page) {
  std::string job = ESC + "E" + ESC + "0;1;0;0m";
  const int row_bytes = (page.width() + 31) / 32 * 4;
  std::vector<std::uint8_t> coded(kovw::net::packbits_bound(static_cast<std::size_t>(row_bytes)));
  for (int p = 0; p < kBitmapPages; ++p) {
    job += ESC + "0;0G" + ESC + "2480;3508;300;0b" + ESC + "1k";
    for (int y = 0; y < page.height(); ++y) {
      const std::size_t n = kovw::net::packbits_encode(
          page.constScanLine(y), static_cast<std::size_t>(row_bytes), coded.data());
      job += ESC + "0;" + std::to_string(n) + "d";
      job.append(reinterpret_cast<const char*>(coded.data()), n);
    }
    job += ESC + "99k\f";
  }
  return job;
}

class BufferTarget : public PageTarget {
 public:
  BufferTarget() : writer_(&buffer_) {
    buffer_.open(QIODevice::WriteOnly);
    writer_.setResolution(kResolution);
    writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
  }
  QPagedPaintDevice* device() override { return &writer_; }
  int resolution() const override { return writer_.resolution(); }
  bool set_duplex(int) override { return false; }
  int duplex() const override { return 1; }
  QList<int> paper_sources() const override { return {}; }
  bool set_paper_source(int) override { return false; }
  bool finish(bool) override { return true; }
  QString name() const override { return QStringLiteral("buffer"); }
  qint64 size() const { return buffer_.size(); }

 private:
  QBuffer buffer_;
  QPdfWriter writer_;
};

void report(benchmark::State& state, int pages) {
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void run_job(benchmark::State& state, const std::string& job, int pages) {
  kovw::bench::bench_application();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(job.data());
  for (auto _ : state) {
    BufferTarget target;
    PainterPrintDevice device(target);
    const InterpretResult result = interpret_print_stream(device, {bytes, job.size()}, {}, nullptr);
    if (result.pages != pages) state.SkipWithError("wrong page count");
    benchmark::DoNotOptimize(target.size());
  }
  report(state, pages);
}

void BM_PrintLanguageTextToPdf(benchmark::State& state) {
  run_job(state, text_job(), kTextPages);
}
BENCHMARK(BM_PrintLanguageTextToPdf)->Unit(benchmark::kMillisecond);

void BM_BareQPdfWriterText(benchmark::State& state) {
  kovw::bench::bench_application();
  std::vector<std::vector<Line>> pages;
  for (int page = 0; page < kTextPages; ++page) pages.push_back(text_page(page));
  for (auto _ : state) {
    BufferTarget target;
    QFont fonts[3] = {kovw::platform::font_for("Courier New", 100),
                      kovw::platform::font_for("Arial", 100),
                      kovw::platform::font_for("Times New Roman", 110)};
    fonts[1].setBold(true);
    fonts[2].setItalic(true);
    QPainter painter(target.device());
    for (int page = 0; page < kTextPages; ++page) {
      if (page > 0) target.device()->newPage();
      for (const Line& line : pages[static_cast<std::size_t>(page)]) {
        painter.setFont(fonts[line.font]);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(kResolution, (line.y + 69) * kResolution / 720.0),
                         QString::fromLatin1(line.text));
      }
    }
    painter.end();
    benchmark::DoNotOptimize(target.size());
  }
  report(state, kTextPages);
}
BENCHMARK(BM_BareQPdfWriterText)->Unit(benchmark::kMillisecond);

void BM_PrintLanguageBitmapToPdf(benchmark::State& state) {
  kovw::bench::bench_application();
  run_job(state, bitmap_job(raster_page()), kBitmapPages);
}
BENCHMARK(BM_PrintLanguageBitmapToPdf)->Unit(benchmark::kMillisecond);

void BM_BareQPdfWriterBitmap(benchmark::State& state) {
  kovw::bench::bench_application();
  const QImage page = raster_page();
  for (auto _ : state) {
    BufferTarget target;
    QPainter painter(target.device());
    for (int p = 0; p < kBitmapPages; ++p) {
      if (p > 0) target.device()->newPage();
      // A picture of its own on every page, as every page of a job has its own; the PDF writer
      // would otherwise store one picture and refer to it from all pages.
      QImage own = page.copy();
      painter.drawImage(QRect(0, 0, 4960, 7016), own);
    }
    painter.end();
    benchmark::DoNotOptimize(target.size());
  }
  report(state, kBitmapPages);
}
BENCHMARK(BM_BareQPdfWriterBitmap)->Unit(benchmark::kMillisecond);

}  // namespace
