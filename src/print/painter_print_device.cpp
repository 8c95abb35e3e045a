#include "print/painter_print_device.h"

#include <QFontInfo>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/verbose.h"
#include "platform/font_substitution.h"

namespace kovw::print {

namespace {

QColor colour_of(Rgb rgb) {
  return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u));
}

// The paper sizes of the print language.
QPageSize page_size_of(const PageSettings& s) {
  switch (s.paper) {
    case PaperSize::A0:
      return QPageSize(QPageSize::A0);
    case PaperSize::A1:
      return QPageSize(QPageSize::A1);
    case PaperSize::A2:
      return QPageSize(QPageSize::A2);
    case PaperSize::A3:
      return QPageSize(QPageSize::A3);
    case PaperSize::A5:
      return QPageSize(QPageSize::A5);
    case PaperSize::Custom:
      if (s.custom_width > 0 && s.custom_length > 0)
        return QPageSize(QSizeF(s.custom_width / 10.0, s.custom_length / 10.0),
                         QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
      return QPageSize(QPageSize::A4);
    case PaperSize::A4:
    default:
      return QPageSize(QPageSize::A4);
  }
}

void settings_from_page_size(const QPageSize& size, PageSettings& s) {
  switch (size.id()) {
    case QPageSize::A4:
      s.paper = PaperSize::A4;
      return;
    case QPageSize::A2:
      s.paper = PaperSize::A2;
      return;
    case QPageSize::A3:
      s.paper = PaperSize::A3;
      return;
    case QPageSize::A5:
      s.paper = PaperSize::A5;
      return;
    default: {
      const QSizeF mm = size.size(QPageSize::Millimeter);
      s.paper = PaperSize::Custom;
      s.custom_width = static_cast<int>(std::lround(mm.width() * 10));
      s.custom_length = static_cast<int>(std::lround(mm.height() * 10));
      return;
    }
  }
}

Qt::PenStyle qt_pen_style(PenStyle style) {
  switch (style) {
    case PenStyle::Solid:
      return Qt::SolidLine;
    case PenStyle::Dash:
      return Qt::DashLine;
    case PenStyle::Dot:
      return Qt::DotLine;
    case PenStyle::DashDot:
      return Qt::DashDotLine;
    case PenStyle::DashDotDot:
      return Qt::DashDotDotLine;
    case PenStyle::None:
    default:
      return Qt::NoPen;
  }
}

Qt::BrushStyle qt_hatch(Hatch hatch) {
  switch (hatch) {
    case Hatch::Vertical:
      return Qt::VerPattern;
    case Hatch::Horizontal:
      return Qt::HorPattern;
    case Hatch::DiagonalCross:
      return Qt::DiagCrossPattern;
    case Hatch::BackwardDiagonal:
      return Qt::BDiagPattern;
    case Hatch::ForwardDiagonal:
      return Qt::FDiagPattern;
    case Hatch::Cross:
    default:
      return Qt::CrossPattern;
  }
}

int round_int(qreal v) {
  return static_cast<int>(std::lround(v));
}

int failure_code() {
  return errno != 0 ? errno : EIO;
}

}  // namespace

PainterPrintDevice::PainterPrintDevice(PageTarget& target) : target_(target) {
  const QPageLayout layout = target_.device()->pageLayout();
  defaults_.orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
  settings_from_page_size(layout.pageSize(), defaults_);
  defaults_.duplex = target_.duplex();
  applied_ = defaults_;
}

PainterPrintDevice::~PainterPrintDevice() {
  if (document_open_) end_document(true);
}

PageGeometry PainterPrintDevice::geometry() {
  const int resolution = target_.resolution();
  const QPageLayout layout = target_.device()->pageLayout();
  const QRect full = layout.fullRectPixels(resolution);
  const QRect paint = layout.paintRectPixels(resolution);
  PageGeometry g;
  g.offset_x = paint.x();
  g.offset_y = paint.y();
  g.physical_width = full.width();
  g.physical_height = full.height();
  g.printable_width = paint.width();
  g.printable_height = paint.height();
  g.dpi_x = resolution;
  g.dpi_y = resolution;
  return g;
}

PageSettings PainterPrintDevice::default_settings() {
  return defaults_;
}

int PainterPrintDevice::paper_source_at(int index) {
  const QList<int> sources = target_.paper_sources();
  return index >= 0 && index < sources.size() ? sources[index] : 0;
}

int PainterPrintDevice::apply_settings(const PageSettings& s) {
  if (s == applied_) return 0;
  QPagedPaintDevice* device = target_.device();
  const bool log = foundation::verbose(foundation::kVerbosePrinting);
  if (s.paper != applied_.paper || s.custom_width != applied_.custom_width ||
      s.custom_length != applied_.custom_length) {
    if (!device->setPageSize(page_size_of(s)) && log)
      foundation::log_printf("kovwp: paper size not supported by %s",
                             target_.name().toUtf8().constData());
  }
  if (s.orientation != applied_.orientation) {
    if (!device->setPageOrientation(s.orientation == 2 ? QPageLayout::Landscape
                                                       : QPageLayout::Portrait))
      return EINVAL;
  }
  if (s.duplex != applied_.duplex && !target_.set_duplex(s.duplex) && log)
    foundation::log_printf("kovwp: duplex %d not supported by %s", s.duplex,
                           target_.name().toUtf8().constData());
  if (s.change_source && s.paper_source != applied_.paper_source)
    target_.set_paper_source(s.paper_source);
  applied_ = s;
  return 0;
}

int PainterPrintDevice::start_document() {
  errno = 0;
  if (!painter_.begin(target_.device())) return failure_code();
  document_open_ = true;
  pages_ = 0;
  return 0;
}

int PainterPrintDevice::start_page() {
  if (!document_open_) return EIO;
  // The first page comes with the document.
  if (pages_ > 0) {
    errno = 0;
    if (!target_.device()->newPage()) return failure_code();
  }
  ++pages_;
  return 0;
}

int PainterPrintDevice::end_page() {
  return document_open_ ? 0 : EIO;
}

void PainterPrintDevice::end_document(bool abort) {
  if (!document_open_) return;
  if (abort) target_.abort();
  painter_.end();
  document_open_ = false;
  finished_ok_ = target_.finish(!abort);
}

const PainterPrintDevice::CachedFont& PainterPrintDevice::font_for(const FontSpec& wanted) {
  for (const auto& cached : fonts_) {
    if (cached->wanted == wanted) return *cached;
  }
  auto cached = std::make_unique<CachedFont>();
  cached->wanted = wanted;
  const QString face = QString::fromStdU16String(foundation::host_to_wide(wanted.face));
  QFont font(platform::substitute_font_family(face));
  const bool double_width = (wanted.flags & (kFontDoubleWidth | kFontDoubleWidth2)) != 0;
  const bool double_height = (wanted.flags & kFontDoubleHeight) != 0;
  font.setPointSizeF(wanted.size_tenths / 10.0 * (double_height ? 2 : 1));
  if (double_width != double_height) font.setStretch(double_width ? 200 : 50);
  font.setWeight((wanted.flags & kFontBold) ? QFont::Bold
                 : wanted.light             ? QFont::Light
                                            : QFont::Normal);
  font.setItalic((wanted.flags & kFontItalic) != 0);
  font.setUnderline((wanted.flags & kFontUnderline) != 0);
  font.setStrikeOut((wanted.flags & kFontStrikeOut) != 0);
  cached->font = font;
  cached->metrics = std::make_unique<QFontMetricsF>(font, target_.device());
  cached->summary.ascent = round_int(cached->metrics->ascent());
  cached->summary.descent = round_int(cached->metrics->descent());
  cached->summary.average_width = round_int(cached->metrics->averageCharWidth());
  cached->summary.fixed_pitch = QFontInfo(font).fixedPitch();
  // A job uses few fonts; a stream that keeps making new ones does not keep them all.
  if (fonts_.size() >= 64) fonts_.erase(fonts_.begin());
  fonts_.push_back(std::move(cached));
  return *fonts_.back();
}

FontMetrics PainterPrintDevice::select_font(const FontSpec& wanted) {
  font_ = &font_for(wanted);
  return font_->summary;
}

int PainterPrintDevice::text_width(std::u16string_view text) {
  if (font_ == nullptr) select_font(FontSpec{});
  text_ = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  return round_int(font_->metrics->horizontalAdvance(text_));
}

void PainterPrintDevice::draw_text(const TextRun& run) {
  if (!document_open_ || run.text.empty()) return;
  if (font_ == nullptr) select_font(FontSpec{});
  text_ = QString::fromUtf16(run.text.data(), static_cast<qsizetype>(run.text.size()));
  const bool rotated = (font_->wanted.flags & kFontRotated) != 0;
  if (rotated) {
    painter_.save();
    painter_.translate(run.x, run.y);
    painter_.rotate(-90);
  }
  const QPointF origin = rotated ? QPointF(0, 0) : QPointF(run.x, run.y);
  if (run.opaque) {
    const qreal width = run.cell_advance > 0 ? qreal(run.cell_advance) * text_.size()
                                             : font_->metrics->horizontalAdvance(text_);
    painter_.fillRect(QRectF(origin.x(), origin.y() - font_->metrics->ascent(), width,
                             font_->metrics->ascent() + font_->metrics->descent()),
                      colour_of(run.background));
  }
  painter_.setFont(font_->font);
  painter_.setPen(colour_of(run.colour));
  if (run.cell_advance > 0) {
    for (qsizetype i = 0; i < text_.size(); ++i) {
      painter_.drawText(QPointF(origin.x() + qreal(run.cell_advance) * i, origin.y()),
                        QString(text_[i]));
    }
  } else {
    painter_.drawText(origin, text_);
  }
  if (rotated) painter_.restore();
}

void PainterPrintDevice::use_pen(const PenSpec& pen) {
  if (pen.style == PenStyle::None) {
    painter_.setPen(Qt::NoPen);
    return;
  }
  QPen qpen(colour_of(pen.colour));
  qpen.setWidth(pen.width);
  qpen.setStyle(qt_pen_style(pen.style));
  qpen.setCapStyle(Qt::FlatCap);
  painter_.setPen(qpen);
}

void PainterPrintDevice::use_brush(const BrushSpec& brush) {
  switch (brush.kind) {
    case BrushKind::None:
      painter_.setBrush(Qt::NoBrush);
      break;
    case BrushKind::Solid:
      painter_.setBrush(colour_of(brush.colour));
      break;
    case BrushKind::Hatch:
      painter_.setBrush(QBrush(colour_of(brush.colour), qt_hatch(brush.hatch)));
      break;
  }
}

void PainterPrintDevice::draw_line(int x1, int y1, int x2, int y2, const PenSpec& pen) {
  if (!document_open_) return;
  use_pen(pen);
  painter_.drawLine(QPoint(x1, y1), QPoint(x2, y2));
}

void PainterPrintDevice::draw_rectangle(int left, int top, int right, int bottom,
                                        const PenSpec& pen, const BrushSpec& brush) {
  if (!document_open_) return;
  use_pen(pen);
  use_brush(brush);
  painter_.drawRect(QRect(QPoint(left, top), QPoint(right, bottom)).normalized());
}

void PainterPrintDevice::draw_arc(ArcKind kind, int cx, int cy, int radius, int start, int end,
                                  const PenSpec& pen, const BrushSpec& brush) {
  if (!document_open_) return;
  use_pen(pen);
  use_brush(brush);
  const QRectF box(cx - radius, cy - radius, 2.0 * radius, 2.0 * radius);
  if (kind == ArcKind::Circle) {
    painter_.drawEllipse(box);
    return;
  }
  // Counter-clockwise from `start` to `end` (hundredths of a degree); equal angles: the whole
  // circle. Qt counts in sixteenths of a degree.
  int span = ((end - start) % 36000 + 36000) % 36000;
  if (span == 0) span = 36000;
  const int start16 = static_cast<int>(std::lround((start % 36000) * 16 / 100.0));
  const int span16 = static_cast<int>(std::lround(span * 16 / 100.0));
  if (kind == ArcKind::Pie)
    painter_.drawPie(box, start16, span16);
  else
    painter_.drawArc(box, start16, span16);
}

void PainterPrintDevice::draw_bitmap(const RasterImage& image, int x, int y, int width,
                                     int height) {
  if (!document_open_ || width <= 0 || height <= 0) return;
  QImage::Format format = QImage::Format_Mono;
  if (image.bits_per_pixel == 8) format = QImage::Format_Indexed8;
  if (image.bits_per_pixel == 24) format = QImage::Format_BGR888;
  QImage picture(image.width, image.height, format);
  if (picture.isNull()) {
    foundation::log_printf("kovwp: no memory for a bitmap of %d x %d", image.width, image.height);
    return;
  }
  const std::size_t row_length = static_cast<std::size_t>(image.row_length);
  const std::size_t copy =
      std::min<std::size_t>(row_length, static_cast<std::size_t>(picture.bytesPerLine()));
  for (int row = 0; row < image.height; ++row) {
    uchar* target = picture.scanLine(row);
    const std::size_t at = static_cast<std::size_t>(row) * row_length;
    if (at + row_length <= image.pixels.size())
      std::memcpy(target, image.pixels.data() + at, copy);
    else
      std::memset(target, 0, static_cast<std::size_t>(picture.bytesPerLine()));
  }
  if (format != QImage::Format_BGR888) {
    QList<QRgb> table;
    for (const Rgb entry : image.palette) table.append(entry | 0xFF000000u);
    picture.setColorTable(table);
  }
  painter_.drawImage(QRect(x, y, width, height), picture);
}

}  // namespace kovw::print
