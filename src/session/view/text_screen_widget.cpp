#include "session/view/text_screen_widget.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

#include "foundation/host_text.h"
#include "platform/font_substitution.h"
#include "session/program/text_cells.h"
#include "session/program/text_runs.h"

namespace kovw::session {

namespace {

constexpr int kCellMargin = 2;

// Line pieces of the semigraphics characters "P" to "_" inside a cell.
void draw_piece(QPainter& painter, const QRect& cell, char piece) {
  const int left = cell.left(), right = cell.right(), top = cell.top(), bottom = cell.bottom();
  const int mid_x = cell.center().x(), mid_y = cell.center().y();
  auto line = [&](int x1, int y1, int x2, int y2) { painter.drawLine(x1, y1, x2, y2); };
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
    case 'S':
      line(mid_x, top, mid_x, mid_y);
      break;
    case 'T':
      line(mid_x, mid_y, mid_x, bottom);
      break;
    case 'U':
      line(mid_x, mid_y, right, mid_y);
      line(mid_x, mid_y, mid_x, bottom);
      break;
    case 'V':
      line(left, mid_y, mid_x, mid_y);
      line(mid_x, mid_y, mid_x, bottom);
      break;
    case 'W':
      line(mid_x, top, mid_x, mid_y);
      line(mid_x, mid_y, right, mid_y);
      break;
    case 'X':
      line(mid_x, top, mid_x, mid_y);
      line(left, mid_y, mid_x, mid_y);
      break;
    case 'Y':
      line(left, mid_y, right, mid_y);
      line(mid_x, mid_y, mid_x, bottom);
      break;
    case 'Z':
      line(mid_x, top, mid_x, bottom);
      line(left, mid_y, mid_x, mid_y);
      break;
    case '[':
      line(mid_x, top, mid_x, bottom);
      line(mid_x, mid_y, right, mid_y);
      break;
    case '\\':
      line(left, mid_y, right, mid_y);
      line(mid_x, top, mid_x, mid_y);
      break;
    case ']':
      line(left, mid_y, right, mid_y);
      break;
    case '^':
      line(mid_x, top, mid_x, bottom);
      break;
    case '_':
      line(left, mid_y, right, mid_y);
      line(mid_x, top, mid_x, bottom);
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

// Where a run's text starts inside its span in field layout.
qreal aligned_x(const QString& text, const QFontMetricsF& metrics, int alignment, qreal span,
                int cell_width) {
  const qreal width = metrics.horizontalAdvance(text);
  switch (alignment) {
    case kAlignRight:
      return span - width;
    case kAlignCentre:
      return (span - width) / 2;
    case kAlignDecimalComma:
    case kAlignDecimalPoint: {
      // The last separator stands where it stands in the cell grid.
      const QChar separator = alignment == kAlignDecimalComma ? u',' : u'.';
      qsizetype at = text.lastIndexOf(separator);
      if (at < 0) at = text.lastIndexOf(u':');
      if (at < 0) return span - width;
      return at * cell_width - metrics.horizontalAdvance(text.left(at));
    }
    default:
      return 0;
  }
}

}  // namespace

TextScreenWidget::TextScreenWidget(const TextScreenLook& look, QWidget* parent)
    : QWidget(parent), look_(look) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  font_a_ = platform::font_for(look.font_name, look.font_tenths);
  font_a_.setFixedPitch(true);
  font_b_ = font_a_;
  font_b_.setBold(true);
  const QFontMetricsF metrics_a(font_a_), metrics_b(font_b_);
  cell_width_ = std::max(1, static_cast<int>(std::ceil(metrics_b.averageCharWidth())));
  cell_height_ = static_cast<int>(std::ceil(metrics_b.height())) + 2 * kCellMargin - 1 +
                 static_cast<int>(std::ceil(metrics_b.leading()));
  ascent_ = static_cast<int>(std::ceil(std::max(metrics_a.ascent(), metrics_b.ascent())));
}

QSize TextScreenWidget::sizeHint() const {
  const int columns = view_.columns > 0 ? view_.columns : columns_;
  const int rows = view_.rows > 0 ? view_.rows : rows_;
  return {std::max(1, columns) * cell_width_, std::max(1, rows) * cell_height_};
}

std::uint32_t TextScreenWidget::cell(int column, int row) const {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return kBlankCell;
  return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                static_cast<std::size_t>(column)];
}

void TextScreenWidget::apply(const TextUpdate& update) {
  const bool resized = update.columns != columns_ || update.rows_in_grid != rows_;
  const bool view_changed = !(update.view == view_);
  const int old_cursor_row = cursor_.row;
  if (resized) {
    columns_ = std::max(0, update.columns);
    rows_ = std::max(0, update.rows_in_grid);
    cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), kBlankCell);
  }
  cursor_ = update.cursor;
  caret_hidden_ = update.caret_hidden;
  view_ = update.view;
  for (const TextRowChange& change : update.rows) {
    if (change.row < 0 || change.row >= rows_) continue;
    const std::size_t count = std::min(change.cells.size(), static_cast<std::size_t>(columns_));
    std::copy_n(change.cells.begin(), count,
                cells_.begin() + static_cast<std::ptrdiff_t>(change.row) * columns_);
  }
  if (resized || view_changed) updateGeometry();
  if (resized || view_changed || update.everything) {
    QWidget::update();
    return;
  }
  // The caret moves with the cursor: its old and new rows are redrawn too.
  QWidget::update(row_rect(old_cursor_row));
  QWidget::update(row_rect(cursor_.row));
  for (const TextRowChange& change : update.rows) QWidget::update(row_rect(change.row));
}

QRect TextScreenWidget::row_rect(int row) const {
  return {0, (row - view_.first_row) * cell_height_, width(), cell_height_};
}

QColor TextScreenWidget::foreground(std::uint32_t attribute) const {
  return look_.foreground_colours[static_cast<std::size_t>(attribute_foreground(attribute))];
}

QColor TextScreenWidget::background(std::uint32_t attribute) const {
  return look_.background_colours[static_cast<std::size_t>(attribute_background(attribute))];
}

void TextScreenWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QColor screen_background = look_.background_colours[15];
  painter.fillRect(event->rect(), screen_background);
  if (columns_ <= 0 || rows_ <= 0) return;
  const int first = std::max(view_.first_row, view_.first_row + event->rect().top() / cell_height_);
  const int last = std::min(rows_ - 1, view_.first_row + event->rect().bottom() / cell_height_);
  for (int row = first; row <= last; ++row) paint_row(painter, row);

  // The caret: a bar at the cursor's cell, the height of the bold font.
  if (!caret_hidden_ && cursor_.row >= view_.first_row && cursor_.row <= last) {
    const int x = (cursor_.column - view_.first_column) * cell_width_;
    const int y = (cursor_.row - view_.first_row) * cell_height_ + kCellMargin;
    const std::uint32_t attribute = cell_attribute(cell(cursor_.column, cursor_.row));
    painter.fillRect(QRect(x, y, std::max(1, look_.caret_width),
                           static_cast<int>(QFontMetricsF(font_b_).height())),
                     foreground(attribute));
  }
}

void TextScreenWidget::paint_row(QPainter& painter, int row) {
  const std::span<const std::uint32_t> cells(
      cells_.data() + static_cast<std::ptrdiff_t>(row) * columns_,
      static_cast<std::size_t>(columns_));
  const int top = (row - view_.first_row) * cell_height_;
  const int left = -view_.first_column * cell_width_;
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
    if (look_.field_layout && !semigraphics) {
      QString line = text_of(run_cells);
      const int alignment = attribute_alignment(attribute);
      if (alignment >= kAlignRight && alignment <= kAlignLeftTrimmed) line = line.trimmed();
      const QFontMetricsF metrics(painter.font());
      const qreal x = span.left() + aligned_x(line, metrics, alignment, span.width(), cell_width_);
      painter.drawText(QPointF(x, baseline), line);
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
    // Elements: the raised or sunken edge around the field, a button in its last cell.
    if (attribute & (kAttrRaised | kAttrSunken)) {
      const bool raised = (attribute & kAttrRaised) != 0;
      const QColor light = look_.edge_light, dark = look_.edge_shadow;
      const QRect edge = span.adjusted(0, 0, -1, -1);
      painter.setPen(raised ? light : dark);
      painter.drawLine(edge.topLeft(), edge.topRight());
      painter.drawLine(edge.topLeft(), edge.bottomLeft());
      painter.setPen(raised ? dark : light);
      painter.drawLine(edge.bottomLeft(), edge.bottomRight());
      painter.drawLine(edge.topRight(), edge.bottomRight());
    }
    if (attribute & (kAttrDropDown | kAttrMore)) {
      const QRect button(span.right() + 1 - cell_width_, top, cell_width_, cell_height_);
      painter.fillRect(button, look_.button_face);
      painter.setPen(look_.button_text);
      const QPoint c = button.center();
      const int s = std::max(2, cell_width_ / 4);
      const QPolygon arrow =
          (attribute & kAttrMore)
              ? QPolygon({c + QPoint(-s / 2, -s), c + QPoint(s / 2, 0), c + QPoint(-s / 2, s)})
              : QPolygon({c + QPoint(-s, -s / 2), c + QPoint(s, -s / 2), c + QPoint(0, s / 2)});
      painter.setBrush(look_.button_text);
      painter.drawPolygon(arrow);
      painter.setBrush(Qt::NoBrush);
    }
  }
}

}  // namespace kovw::session
