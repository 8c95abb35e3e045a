#pragma once
// The text screen as words for assistive technology: each row as a line of text, the offsets
// of cells in the text of the whole screen, and the field under a cell with the label that
// stands before it on its row.

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace kovw::session {

// The characters of one row; line pieces (drawn, not read) are blanks.
QString row_reading(std::span<const std::uint32_t> cells);

// The whole screen: its rows joined by "\n", every row `columns` characters long, so that the
// cell (column, row) is at offset row * (columns + 1) + column.
QString screen_reading(std::span<const std::uint32_t> cells, int columns, int rows);
inline int reading_offset(int columns, int column, int row) {
  return row * (columns + 1) + column;
}

// The label a field at `column` of the row has: the text before it on the row up to the
// previous field or a gap of two or more blanks, trimmed; empty when there is none.
QString label_before(std::span<const std::uint32_t> row, int column);

// An input field of the screen (cells with the sunken field look or a drop-down button).
struct ScreenField {
  int first_column = 0;
  int count = 0;
  QString label;     // label_before the field
  QString contents;  // the field's text, trimmed
};
// The field that holds the cell at `column` of the row, if any.
std::optional<ScreenField> field_at(std::span<const std::uint32_t> row, int column);

}  // namespace kovw::session
