#include "session/view/text_screen_widget.h"

#include <QAccessible>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <mutex>
#include <span>
#include <utility>

#include "session/program/text_cells.h"
#include "session/view/text_screen_accessible.h"

namespace kovw::session {

namespace {
TextScreenWidget::AccessibilityUpdate g_accessibility_update = QAccessible::updateAccessibility;
}  // namespace

TextScreenWidget::AccessibilityUpdate TextScreenWidget::set_accessibility_update(
    AccessibilityUpdate update) {
  return std::exchange(g_accessibility_update, update);
}

TextScreenWidget::TextScreenWidget(const TextScreenLook& look, QWidget* parent)
    : QWidget(parent),
      focus_owner_(parent),
      look_(look),
      painter_(look),
      caret_suppressed_(look.caret_suppressed) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  static std::once_flag accessible_factory;
  std::call_once(accessible_factory,
                 [] { QAccessible::installFactory(text_screen_accessible_factory); });
  // The content window holds the focus; the caret follows it.
  if (parent != nullptr) parent->installEventFilter(this);
}

QSize TextScreenWidget::grid_pixel_size() const {
  return painter_.grid_size(std::max(1, columns_), std::max(1, rows_));
}

QRect TextScreenWidget::view_rect() const {
  return {cell_origin(view_.first_column, view_.first_row), sizeHint()};
}

QRect TextScreenWidget::cursor_rect() const {
  return {cell_origin(cursor_.column, cursor_.row), QSize(cell_width(), cell_height())};
}

QSize TextScreenWidget::sizeHint() const {
  const int columns = view_.columns > 0 ? view_.columns : columns_;
  const int rows = view_.rows > 0 ? view_.rows : rows_;
  return painter_.grid_size(std::max(1, columns), std::max(1, rows));
}

std::uint32_t TextScreenWidget::cell(int column, int row) const {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return kBlankCell;
  return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                static_cast<std::size_t>(column)];
}

bool TextScreenWidget::caret_shown() const {
  if (caret_suppressed_ || caret_hidden_ || field_shown_) return false;
  return hasFocus() || (focus_owner_ != nullptr && focus_owner_->hasFocus());
}

bool TextScreenWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == focus_owner_ &&
      (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
    update_caret();
  }
  return false;
}

void TextScreenWidget::update_caret() {
  QWidget::update(row_rect(cursor_.row));
}

// The grid scrolled up by `count` rows: the rows move up, the rows that scroll in arrive with
// the update.
void TextScreenWidget::scroll_cells(int count) {
  if (count <= 0 || columns_ <= 0) return;
  const std::size_t shift =
      static_cast<std::size_t>(std::min(count, rows_)) * static_cast<std::size_t>(columns_);
  std::move(cells_.begin() + static_cast<std::ptrdiff_t>(shift), cells_.end(), cells_.begin());
  std::fill(cells_.end() - static_cast<std::ptrdiff_t>(shift), cells_.end(), kBlankCell);
}

std::span<const std::uint32_t> TextScreenWidget::row_cells(int row) const {
  if (row < 0 || row >= rows_ || columns_ <= 0) return {};
  return std::span(cells_).subspan(
      static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_),
      static_cast<std::size_t>(columns_));
}

QString TextScreenWidget::row_text(int row) const {
  return row_reading(row_cells(row));
}

QString TextScreenWidget::reading() const {
  return screen_reading(cells_, columns_, rows_);
}

std::optional<ScreenField> TextScreenWidget::field_under_cursor() const {
  return field_at(row_cells(cursor_.row), cursor_.column);
}

QString TextScreenWidget::label_before_cell(int column, int row) const {
  return label_before(row_cells(row), column);
}

void TextScreenWidget::announce(const std::vector<std::uint32_t>& old_cells, bool whole,
                                int old_caret) {
  if (whole) {
    QAccessibleTextUpdateEvent event(this, 0, QString(), reading());
    g_accessibility_update(&event);
  } else {
    // Only rows whose cells changed are read again (the grid has its old size here).
    const auto width = static_cast<std::size_t>(columns_);
    for (int row = 0; row < rows_; ++row) {
      const std::span<const std::uint32_t> before(
          old_cells.data() + static_cast<std::size_t>(row) * width, width);
      const auto now_cells = row_cells(row);
      if (std::equal(before.begin(), before.end(), now_cells.begin(), now_cells.end())) continue;
      const QString old_text = row_reading(before);
      const QString now = row_reading(now_cells);
      if (now == old_text) continue;  // only colours changed
      QAccessibleTextUpdateEvent event(this, reading_offset(columns_, 0, row), old_text, now);
      g_accessibility_update(&event);
    }
  }
  const int caret = rows_ > 0 ? reading_offset(columns_, cursor_.column, cursor_.row) : 0;
  if (caret != old_caret) {
    QAccessibleTextCursorEvent event(this, caret);
    g_accessibility_update(&event);
  }
}

void TextScreenWidget::apply(const TextUpdate& update) {
  // What assistive technology had before the update, only while it listens.
  const bool listening = read_aloud_ || QAccessible::isActive();
  std::vector<std::uint32_t> old_cells;
  int old_caret = -1;
  const int old_columns = columns_;
  const int old_rows = rows_;
  if (listening) {
    old_cells = cells_;
    old_caret = rows_ > 0 ? reading_offset(columns_, cursor_.column, cursor_.row) : 0;
  }
  apply_cells(update);
  if (listening) announce(old_cells, old_columns != columns_ || old_rows != rows_, old_caret);
}

void TextScreenWidget::apply_cells(const TextUpdate& update) {
  const bool resized = update.columns != columns_ || update.rows_in_grid != rows_;
  const bool view_changed = !(update.view == view_);
  const int old_cursor_row = cursor_.row;
  if (resized) {
    columns_ = std::max(0, update.columns);
    rows_ = std::max(0, update.rows_in_grid);
    cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), kBlankCell);
  } else {
    scroll_cells(update.scrolled);
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
  if (resized) resize(grid_pixel_size());
  if (resized || view_changed) updateGeometry();
  if (resized || view_changed || update.everything) {
    QWidget::update();
    return;
  }
  if (update.scrolled > 0) {
    // The painted rows move up with the grid; the old caret moves with them and is painted
    // over where it went.
    const int by = update.scrolled * cell_height();
    if (update.scrolled >= rows_) {
      QWidget::update();
    } else {
      QWidget::scroll(0, -by);
      QWidget::update(row_rect(old_cursor_row - update.scrolled));
    }
  }
  // The caret moves with the cursor: its old and new rows are painted too.
  QWidget::update(row_rect(old_cursor_row));
  update_caret();
  for (const TextRowChange& change : update.rows) QWidget::update(row_rect(change.row));
}

QRect TextScreenWidget::row_rect(int row) const {
  return {0, row * cell_height(), width(), cell_height()};
}

QPoint TextScreenWidget::cell_origin(int column, int row) const {
  return {column * cell_width(), row * cell_height()};
}

void TextScreenWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), painter_.screen_background());
  if (columns_ <= 0 || rows_ <= 0) return;
  const int first = std::max(0, event->rect().top() / cell_height());
  const int last = std::min(rows_ - 1, event->rect().bottom() / cell_height());
  painter_.paint_rows(painter, cells_, columns_, first, last, cell_origin(0, 0));
  if (caret_shown() && cursor_.row >= first && cursor_.row <= last) {
    painter_.paint_caret(painter, cell_origin(cursor_.column, cursor_.row),
                         cell(cursor_.column, cursor_.row));
  }
}

}  // namespace kovw::session
