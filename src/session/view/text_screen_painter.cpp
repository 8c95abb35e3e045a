#include "session/view/text_screen_painter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <cmath>

#include "foundation/host_text.h"
#include "platform/font_substitution.h"
#include "session/program/hardcopy_text.h"
#include "session/program/text_cells.h"
#include "session/program/text_runs.h"

namespace kovw::session {

namespace {

constexpr int kMinButtonWidth = 9;  // pixels

constexpr int kCellMargin = 2;

constexpr int kArmUp = 1, kArmDown = 2, kArmLeft = 4, kArmRight = 8;

// The arms of the line pieces "S" to "_".
constexpr int kPieceArms[] = {
    kArmUp,                                    // S
    kArmDown,                                  // T
    kArmRight | kArmDown,                      // U
    kArmLeft | kArmDown,                       // V
    kArmUp | kArmRight,                        // W
    kArmUp | kArmLeft,                         // X
    kArmLeft | kArmRight | kArmDown,           // Y
    kArmUp | kArmDown | kArmLeft,              // Z
    kArmUp | kArmDown | kArmRight,             // [
    kArmLeft | kArmRight | kArmUp,             // backslash
    kArmLeft | kArmRight,                      // ]
    kArmUp | kArmDown,                         // ^
    kArmUp | kArmDown | kArmLeft | kArmRight,  // _
};

// Line pieces of the semigraphics characters "P" to "_" inside a cell: boxes "P" to "R",
// lines "S" to "_".
void draw_piece(QPainter& painter, const QRect& cell, char piece) {
  const int left = cell.left(), right = cell.right(), top = cell.top(), bottom = cell.bottom();
  const int mid_x = cell.center().x(), mid_y = cell.center().y();
  if (piece >= 'S' && piece <= '_') {
    // Each line piece is a set of arms from the cell's middle to its edges.
    const int arms = kPieceArms[piece - 'S'];
    if (arms & kArmUp) painter.drawLine(mid_x, top, mid_x, mid_y);
    if (arms & kArmDown) painter.drawLine(mid_x, mid_y, mid_x, bottom);
    if (arms & kArmLeft) painter.drawLine(left, mid_y, mid_x, mid_y);
    if (arms & kArmRight) painter.drawLine(mid_x, mid_y, right, mid_y);
    return;
  }
  switch (piece) {
    case 'P':
      painter.drawRect(QRect(QPoint(left, mid_y), QPoint(right, bottom)).adjusted(0, 0, -1, -1));
      break;
    case 'Q':
      painter.drawRect(cell.adjusted(0, 0, -1, -1));
      break;
    case 'R':
      painter.drawRect(QRect(QPoint(left, top), QPoint(right, mid_y)).adjusted(0, 0, -1, -1));
      break;
    default:
      break;
  }
}

bool is_piece(std::uint8_t character) {
  return character >= 'P' && character <= '_';
}

QString text_of(std::span<const std::uint32_t> cells) {
  QString text;
  text.reserve(static_cast<qsizetype>(cells.size()));
  for (const std::uint32_t cell : cells)
    text.append(QChar(foundation::ansi_to_wide(cell_character(cell))));
  return text;
}

// Where a run's trimmed text starts inside its span in field layout. `leading` is the number
// of blanks trimmed from the run's start.
qreal aligned_x(const QString& text, qsizetype leading, const QFontMetricsF& metrics, int alignment,
                qreal span, int cell_width) {
  const qreal width = metrics.horizontalAdvance(text);
  switch (alignment) {
    case kAlignRight:
      return span - width;
    case kAlignCentre:
      return (span - width) / 2;
    case kAlignDecimalComma:
    case kAlignDecimalPoint: {
      // The last separator stands where it stands in the cell grid: in the cell it was
      // written to, counted from the run's first cell.
      const QChar separator = alignment == kAlignDecimalComma ? u',' : u'.';
      qsizetype at = text.lastIndexOf(separator);
      if (at < 0) at = text.lastIndexOf(u':');
      if (at < 0) return span - width;
      return static_cast<qreal>(leading + at) * cell_width -
             metrics.horizontalAdvance(text.left(at));
    }
    default:
      return 0;
  }
}

}  // namespace

TextScreenColours TextScreenColours::of(const TextScreenLook& look) {
  return {look.foreground_colours, look.background_colours, look.edge_light,
          look.edge_shadow,        look.button_face,        look.button_text};
}

TextScreenPainter::TextScreenPainter(const TextScreenLook& look, const QPaintDevice* device,
                                     qreal scale)
    : colours_(TextScreenColours::of(look)),
      field_layout_(look.field_layout),
      caret_width_(std::max(1, look.caret_width)) {
  font_a_ = platform::font_for(look.font_name, look.font_tenths);
  if (scale != 1.0 && scale > 0) font_a_.setPointSizeF(font_a_.pointSizeF() * scale);
  font_a_.setFixedPitch(true);
  font_b_ = font_a_;
  font_b_.setBold(true);
  const QFontMetricsF metrics_a(font_a_, device), metrics_b(font_b_, device);
  cell_width_ = std::max(1, static_cast<int>(std::ceil(metrics_b.averageCharWidth())));
  cell_height_ = static_cast<int>(std::ceil(metrics_b.height())) + 2 * kCellMargin - 1 +
                 static_cast<int>(std::ceil(metrics_b.leading()));
  ascent_ = static_cast<int>(std::ceil(std::max(metrics_a.ascent(), metrics_b.ascent())));
  caret_height_ = static_cast<int>(metrics_b.height());
  // Runs are drawn whole when both fonts give every character one advance.
  const auto fixed_advance = [](const QFontMetricsF& metrics) -> qreal {
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('M'));
    for (const QChar c : {QChar(u'i'), QChar(u'W'), QChar(u' '), QChar(0xC4)}) {
      if (std::abs(metrics.horizontalAdvance(c) - advance) > 1e-3) return -1;
    }
    if (std::abs(metrics.horizontalAdvance(QStringLiteral("iWiW")) - 4 * advance) > 1e-3) return -1;
    return advance;
  };
  const qreal advance_a = fixed_advance(metrics_a), advance_b = fixed_advance(metrics_b);
  if (advance_a > 0 && advance_b > 0) {
    run_font_a_ = font_a_;
    run_font_b_ = font_b_;
    run_font_a_.setLetterSpacing(QFont::AbsoluteSpacing, cell_width_ - advance_a);
    run_font_b_.setLetterSpacing(QFont::AbsoluteSpacing, cell_width_ - advance_b);
    run_font_a_.setKerning(false);
    run_font_b_.setKerning(false);
    whole_runs_ = true;
  }
}

QColor TextScreenPainter::foreground(std::uint32_t attribute) const {
  return colours_.foreground[static_cast<std::size_t>(attribute_foreground(attribute))];
}

QColor TextScreenPainter::background(std::uint32_t attribute) const {
  return colours_.background[static_cast<std::size_t>(attribute_background(attribute))];
}

void TextScreenPainter::paint_rows(QPainter& painter, std::span<const std::uint32_t> grid,
                                   int columns, int first_row, int last_row, QPoint origin) const {
  if (columns <= 0) return;
  const auto width = static_cast<std::size_t>(columns);
  const int rows = static_cast<int>(grid.size() / width);
  for (int row = std::max(0, first_row); row <= std::min(last_row, rows - 1); ++row) {
    paint_row(painter, grid.subspan(static_cast<std::size_t>(row) * width, width),
              origin + QPoint(0, row * cell_height_));
  }
}

QRect TextScreenPainter::caret_rect(QPoint cell_origin) const {
  return {cell_origin + QPoint(0, kCellMargin), QSize(caret_width_, caret_height_)};
}

void TextScreenPainter::paint_caret(QPainter& painter, QPoint cell_origin,
                                    std::uint32_t cell) const {
  painter.fillRect(caret_rect(cell_origin), foreground(cell_attribute(cell)));
}

void TextScreenPainter::paint_field_text(QPainter& painter,
                                         std::span<const std::uint32_t> run_cells,
                                         std::uint32_t attribute, const QRect& span,
                                         int baseline) const {
  QString line = text_of(run_cells);
  const int alignment = attribute_alignment(attribute);
  qsizetype leading = 0;
  if (alignment >= kAlignRight && alignment <= kAlignLeftTrimmed) {
    while (leading < line.size() && line[leading].isSpace()) ++leading;
    line = line.trimmed();
  }
  const QFontMetricsF metrics(painter.font(), painter.device());
  const qreal x =
      span.left() + aligned_x(line, leading, metrics, alignment, span.width(), cell_width_);
  painter.drawText(QPointF(x, baseline), line);
}

void TextScreenPainter::paint_row(QPainter& painter, std::span<const std::uint32_t> cells,
                                  QPoint origin) const {
  const int top = origin.y();
  const int left = origin.x();
  for (const TextRun& run : cut_runs(cells)) {
    const std::uint32_t attribute = run.attribute;
    QColor text = foreground(attribute), back = background(attribute);
    if (attribute & kAttrReverse) std::swap(text, back);
    const QRect span(left + run.first_column * cell_width_, top, run.count * cell_width_,
                     cell_height_);
    painter.fillRect(span, back);
    const auto run_cells = cells.subspan(static_cast<std::size_t>(run.first_column),
                                         static_cast<std::size_t>(run.count));
    painter.setPen(text);
    painter.setFont((attribute & kAttrBold) ? font_b_ : font_a_);
    const int baseline = top + kCellMargin + ascent_;
    const bool semigraphics = (attribute & kAttrSemigraphics) != 0;
    if (field_layout_ && !semigraphics) {
      paint_field_text(painter, run_cells, attribute, span, baseline);
    } else if (whole_runs_ && !semigraphics) {
      painter.setFont((attribute & kAttrBold) ? run_font_b_ : run_font_a_);
      painter.drawText(QPoint(span.left(), baseline), text_of(run_cells));
    } else {
      for (int i = 0; i < run.count; ++i) {
        const std::uint8_t character = cell_character(run_cells[static_cast<std::size_t>(i)]);
        const QRect cell_rect(span.left() + i * cell_width_, top, cell_width_, cell_height_);
        if (semigraphics && is_piece(character)) {
          draw_piece(painter, cell_rect, static_cast<char>(character));
        } else if (character != ' ') {
          painter.drawText(QPoint(cell_rect.left(), baseline),
                           QString(QChar(foundation::ansi_to_wide(character))));
        }
      }
    }
    if (attribute & kAttrUnderline) painter.drawLine(span.left(), baseline, span.right(), baseline);
    // Elements: the raised or sunken edge around the field, a button in its last cell. Both
    // edges at once make an outline of two nested rectangles in the frame colour.
    if ((attribute & (kAttrRaised | kAttrSunken)) == (kAttrRaised | kAttrSunken)) {
      painter.setPen(colours_.button_face);
      painter.drawRect(span.adjusted(0, 0, -1, -1));
      painter.drawRect(span.adjusted(1, 1, -2, -2));
    } else if (attribute & (kAttrRaised | kAttrSunken)) {
      const bool raised = (attribute & kAttrRaised) != 0;
      const QColor light = colours_.edge_light, dark = colours_.edge_shadow;
      const QRect edge = span.adjusted(0, 0, -1, -1);
      painter.setPen(raised ? light : dark);
      painter.drawLine(edge.topLeft(), edge.topRight());
      painter.drawLine(edge.topLeft(), edge.bottomLeft());
      painter.setPen(raised ? dark : light);
      painter.drawLine(edge.bottomLeft(), edge.bottomRight());
      painter.drawLine(edge.topRight(), edge.bottomRight());
    }
    if (attribute & (kAttrDropDown | kAttrMore)) {
      // In field layout a button is at least kMinButtonWidth pixels wide, however narrow the
      // font's cells are.
      const int width = field_layout_ ? std::max(cell_width_, kMinButtonWidth) : cell_width_;
      const QRect button(span.right() + 1 - width, top, width, cell_height_);
      painter.fillRect(button, colours_.button_face);
      painter.setPen(colours_.button_text);
      const QPoint c = button.center();
      const int s = std::max(2, cell_width_ / 4);
      const QPolygon arrow =
          (attribute & kAttrMore)
              ? QPolygon({c + QPoint(-s / 2, -s), c + QPoint(s / 2, 0), c + QPoint(-s / 2, s)})
              : QPolygon({c + QPoint(-s, -s / 2), c + QPoint(s, -s / 2), c + QPoint(0, s / 2)});
      painter.setBrush(colours_.button_text);
      painter.drawPolygon(arrow);
      painter.setBrush(Qt::NoBrush);
    }
  }
}

namespace {

// The rows of `region`, each cut to the region's columns, painted with their top-left cell at
// `origin`.
void paint_region(const TextScreenPainter& cells, QPainter& painter,
                  std::span<const std::uint32_t> grid, int columns, const TextView& region,
                  QPoint origin) {
  for (int row = 0; row < region.rows; ++row) {
    const std::size_t start =
        static_cast<std::size_t>(region.first_row + row) * static_cast<std::size_t>(columns) +
        static_cast<std::size_t>(region.first_column);
    cells.paint_row(painter, grid.subspan(start, static_cast<std::size_t>(region.columns)),
                    origin + QPoint(0, row * cells.cell_height()));
  }
}

// `size` made as large as fits into `box` keeping its aspect ratio, rounded up.
QSize fitted(QSize size, QSize box) {
  if (size.isEmpty() || box.isEmpty()) return {};
  const double scale = std::min(static_cast<double>(box.width()) / size.width(),
                                static_cast<double>(box.height()) / size.height());
  return {std::min(box.width(), static_cast<int>(std::ceil(size.width() * scale - 1e-9))),
          std::min(box.height(), static_cast<int>(std::ceil(size.height() * scale - 1e-9)))};
}

// Black text on white paper; edges and buttons in greys.
TextScreenColours paper_colours() {
  TextScreenColours colours;
  colours.foreground.fill(Qt::black);
  colours.background.fill(Qt::white);
  colours.edge_light = QColor(0xC0, 0xC0, 0xC0);
  colours.edge_shadow = Qt::black;
  colours.button_face = QColor(0xC0, 0xC0, 0xC0);
  colours.button_text = Qt::black;
  return colours;
}

bool valid_region(std::span<const std::uint32_t> grid, int columns, const TextView& region) {
  if (columns <= 0 || region.rows <= 0 || region.columns <= 0) return false;
  const auto rows = static_cast<int>(grid.size() / static_cast<std::size_t>(columns));
  return region.first_row >= 0 && region.first_column >= 0 &&
         region.first_row + region.rows <= rows && region.first_column + region.columns <= columns;
}

}  // namespace

QImage TextScreenPainter::picture(const TextScreenLook& look, std::span<const std::uint32_t> grid,
                                  int columns, const TextView& view) {
  const int rows =
      columns > 0 ? static_cast<int>(grid.size() / static_cast<std::size_t>(columns)) : 0;
  const TextView region = hardcopy_region(view, columns, rows);
  if (!valid_region(grid, columns, region)) return {};
  const TextScreenPainter cells(look);
  QImage image(cells.grid_size(region.columns, region.rows), QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(cells.screen_background());
  QPainter painter(&image);
  paint_region(cells, painter, grid, columns, region, QPoint(0, 0));
  return image;
}

QRect TextScreenPainter::paint_page(QPainter& painter, const TextScreenLook& look,
                                    std::span<const std::uint32_t> grid, int columns,
                                    const TextView& view, const QRect& page, bool text_mode) {
  const int rows =
      columns > 0 ? static_cast<int>(grid.size() / static_cast<std::size_t>(columns)) : 0;
  const TextView region = hardcopy_region(view, columns, rows);
  if (!valid_region(grid, columns, region) || page.isEmpty()) return {};
  if (!text_mode) {
    const QImage image = picture(look, grid, columns, region);
    if (image.isNull()) return {};
    const QRect target(page.topLeft(), fitted(image.size(), page.size()));
    painter.drawImage(target, image);
    return target;
  }
  // The fonts measured for the device at their own size, then scaled so that the grid fills
  // the page in one direction; cells are whole device pixels, so a rounding that makes the
  // grid overflow shrinks the fonts a little more.
  const QPaintDevice* device = painter.device();
  const QSize natural = TextScreenPainter(look, device).grid_size(region.columns, region.rows);
  const QSize target = fitted(natural, page.size());
  if (target.isEmpty()) return {};
  qreal scale = static_cast<qreal>(target.width()) / natural.width();
  TextScreenPainter cells(look, device, scale);
  for (int i = 0; i < 8; ++i) {
    const QSize size = cells.grid_size(region.columns, region.rows);
    if (size.width() <= page.width() && size.height() <= page.height()) break;
    scale *= 0.97;
    cells = TextScreenPainter(look, device, scale);
  }
  cells.set_colours(paper_colours());
  painter.save();
  paint_region(cells, painter, grid, columns, region, page.topLeft());
  painter.restore();
  return {page.topLeft(), cells.grid_size(region.columns, region.rows)};
}

}  // namespace kovw::session
