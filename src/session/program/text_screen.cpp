#include "session/program/text_screen.h"

#include <algorithm>

namespace kovw::session {

namespace {

constexpr std::uint8_t kEsc = 27;

int bounded(int value, int low, int high) {
  return std::clamp(value, low, high);
}

}  // namespace

TextScreen::TextScreen(int columns, int rows) {
  resize(columns, rows);
}

void TextScreen::resize(int columns, int rows) {
  columns_ = bounded(columns, kTextMinColumns, kTextMaxColumns);
  rows_ = bounded(rows, kTextMinRows, kTextMaxRows);
  grid_.assign(static_cast<std::size_t>(columns_) * rows_, kBlankCell);
  row_damage_.assign(rows_, RowDamage{});
  view_ = TextView{0, 0, rows_, columns_};
  reset_state();
  damage_all();
}

void TextScreen::reset_state() {
  auto_wrap_ = false;
  insert_mode_ = false;
  caret_hidden_ = false;
  cursor_ = TextCursor{};
  saved_count_ = 0;
  attribute_ = kResetAttribute;
}

std::uint32_t TextScreen::cell(int column, int row) const {
  if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return kBlankCell;
  return grid_[static_cast<std::size_t>(row) * columns_ + column];
}

std::span<const std::uint32_t> TextScreen::row_cells(int row) const {
  if (row < 0 || row >= rows_) return {};
  return std::span<const std::uint32_t>(grid_).subspan(static_cast<std::size_t>(row) * columns_,
                                                       columns_);
}

// ---------------------------------------------------------------------------------------------
// Damage

void TextScreen::damage(int row, int first_column, int last_column) {
  RowDamage& d = row_damage_[row];
  d.first = d.first < 0 ? first_column : std::min(d.first, first_column);
  d.last = std::max(d.last, last_column);
}

void TextScreen::damage_rows(int first_row, int last_row) {
  for (int r = first_row; r <= last_row; ++r) damage(r, 0, columns_ - 1);
}

void TextScreen::damage_all() {
  damage_all_ = true;
  scroll_count_ = 0;
}

bool TextScreen::has_changes() const {
  if (damage_all_ || scroll_count_ != 0 || cursor_ != taken_cursor_ ||
      caret_hidden_ != taken_caret_hidden_ || view_ != taken_view_) {
    return true;
  }
  return std::any_of(row_damage_.begin(), row_damage_.end(),
                     [](const RowDamage& d) { return d.first >= 0; });
}

// The update's frame without rows.
TextUpdate TextScreen::update_frame(bool everything) const {
  TextUpdate update;
  update.everything = everything;
  update.columns = columns_;
  update.rows_in_grid = rows_;
  update.cursor = cursor_;
  update.caret_hidden = caret_hidden_;
  update.view = view_;
  return update;
}

TextUpdate TextScreen::snapshot() const {
  TextUpdate update = update_frame(true);
  for (int r = 0; r < rows_; ++r) {
    const auto cells = row_cells(r);
    update.rows.push_back(
        TextRowChange{r, 0, columns_ - 1, std::vector<std::uint32_t>(cells.begin(), cells.end())});
  }
  return update;
}

TextUpdate TextScreen::take_update() {
  TextUpdate update = damage_all_ ? snapshot() : update_frame(false);
  if (!damage_all_) update.scrolled = scroll_count_;
  for (int r = 0; r < rows_; ++r) {
    RowDamage& d = row_damage_[r];
    if (!damage_all_ && d.first >= 0) {
      const auto cells = row_cells(r);
      update.rows.push_back(TextRowChange{r, d.first, d.last,
                                          std::vector<std::uint32_t>(cells.begin(), cells.end())});
    }
    d = RowDamage{};
  }
  damage_all_ = false;
  scroll_count_ = 0;
  taken_cursor_ = cursor_;
  taken_caret_hidden_ = caret_hidden_;
  taken_view_ = view_;
  return update;
}

// ---------------------------------------------------------------------------------------------
// Grid operations

void TextScreen::fill(int row, int first_column, int end_column, std::uint32_t cell) {
  if (first_column >= end_column) return;
  std::fill(row_pointer(row) + first_column, row_pointer(row) + end_column, cell);
  damage(row, first_column, end_column - 1);
}

void TextScreen::line_feed() {
  convert_frame_row();
  if (cursor_.row + 1 < rows_) {
    ++cursor_.row;
    return;
  }
  // Scroll up by one row. The new row's blanks carry the current attribute without its one-shot
  // bits, which would otherwise turn every cell of the row into a button or field start.
  std::copy(grid_.begin() + columns_, grid_.end(), grid_.begin());
  const std::uint32_t blank = make_cell(attribute_ & ~kAttrOneShot, ' ');
  std::fill(grid_.end() - columns_, grid_.end(), blank);
  record_scroll();
}

// The painter moves what it shows up by the scroll count; the damage recorded so far moves
// with the rows, and the new last row is changed throughout.
void TextScreen::record_scroll() {
  if (damage_all_) return;
  if (scroll_count_ + 1 >= rows_) {
    damage_all();
    return;
  }
  ++scroll_count_;
  std::move(row_damage_.begin() + 1, row_damage_.end(), row_damage_.begin());
  row_damage_.back() = RowDamage{};
  damage(rows_ - 1, 0, columns_ - 1);
}

// With a frame character set, the cursor row becomes fields: each run of frame characters turns
// into blanks aligned left (value 1) with the field-start bit on its first cell, and every other
// text run (ended by two consecutive blanks) gets the field-start bit on its first cell.
void TextScreen::convert_frame_row() {
  if (frame_character_ < 1 || frame_character_ > 127) return;
  std::uint32_t* row = row_pointer(cursor_.row);
  const auto character = [&](int c) { return cell_character(row[c]); };
  bool changed = false;
  int c = 0;
  while (c < columns_) {
    if (character(c) == frame_character_) {
      const int start = c;
      while (c < columns_ && character(c) == frame_character_) {
        std::uint32_t attribute =
            (cell_attribute(row[c]) & ~kAttrAlignMask) | 1u << kAttrAlignShift;
        if (c == start) attribute |= kAttrFieldStart;
        row[c] = make_cell(attribute, ' ');
        ++c;
      }
      changed = true;
    } else if (character(c) != ' ') {
      row[c] |= kAttrFieldStart << 8;
      changed = true;
      ++c;
      while (c < columns_ && character(c) != frame_character_ &&
             !(character(c) == ' ' && (c + 1 == columns_ || character(c + 1) == ' '))) {
        ++c;
      }
    } else {
      ++c;
    }
  }
  if (changed) damage(cursor_.row, 0, columns_ - 1);
}

void TextScreen::put_character(std::uint8_t character) {
  std::uint32_t* row = row_pointer(cursor_.row);
  const int column = cursor_.column;
  if (insert_mode_ && column + 1 < columns_) {
    std::copy_backward(row + column, row + columns_ - 1, row + columns_);
    damage(cursor_.row, column, columns_ - 1);
  }
  row[column] = make_cell(attribute_, character);
  damage(cursor_.row, column, column);
  attribute_ &= ~kAttrOneShot;
  if (column + 1 < columns_) {
    ++cursor_.column;
  } else if (auto_wrap_) {
    cursor_.column = 0;
    line_feed();
  }
}

// ---------------------------------------------------------------------------------------------
// The stream

void TextScreen::output(std::span<const std::uint8_t> bytes, TextScreenEffects& effects) {
  std::size_t i = 0;
  // Complete an escape sequence that the previous call left unfinished.
  while (pending_size_ > 0 && i < bytes.size()) {
    pending_[pending_size_++] = bytes[i++];
    const std::span<const std::uint8_t> sequence(pending_.data(), pending_size_);
    const std::size_t needed = escape_length(sequence);
    if (needed != 0 && pending_size_ >= needed) {
      pending_size_ = 0;
      escape(sequence, effects);
    }
  }
  while (i < bytes.size()) {
    if (bytes[i] != kEsc) {
      control_or_character(bytes[i++], effects);
      continue;
    }
    const std::span<const std::uint8_t> rest = bytes.subspan(i);
    const std::size_t needed = escape_length(rest);
    if (needed == 0 || needed > rest.size()) {
      std::copy(rest.begin(), rest.end(), pending_.begin());
      pending_size_ = rest.size();
      break;
    }
    escape(rest.first(needed), effects);
    i += needed;
  }
  // A lone ESC ends the stream without a sequence: it is dropped, not carried into the next
  // stream. A sequence cut after its code byte waits for its arguments in the next stream.
  if (pending_size_ == 1) pending_size_ = 0;
}

void TextScreen::control_or_character(std::uint8_t byte, TextScreenEffects& effects) {
  switch (byte) {
    case 7:
      effects.beep();
      break;
    case 8:
      if (cursor_.column > 0) --cursor_.column;
      break;
    case 9:
      attribute_ |= kAttrFieldStart;
      break;
    case 10:
      line_feed();
      break;
    case 25:
      cursor_.column = 0;
      line_feed();
      break;
    case 12:
      std::fill(grid_.begin(), grid_.end(), kBlankCell);
      damage_all();
      break;
    case 13:
      cursor_.column = 0;
      break;
    default:
      put_character(byte);
      break;
  }
}

std::size_t TextScreen::escape_length(std::span<const std::uint8_t> sequence) const {
  if (sequence.size() < 2) return 0;
  switch (sequence[1]) {
    case ']':
      return 5;
    case '#':
      return 4;
    case '$':
    case '%':
    case 'U':
    case 'V':
      return 3;
    case 'F':
      return 2 + (columns_ > 256 ? 2 : 1) + (rows_ > 256 ? 2 : 1);
    case 0x40:
      return kLongestEscape;
    default:
      return 2;
  }
}

void TextScreen::escape(std::span<const std::uint8_t> sequence, TextScreenEffects& effects) {
  const std::uint8_t code = sequence[1];
  const auto argument = [&](std::size_t k) -> int { return sequence[2 + k]; };
  const int last_column = columns_ - 1;
  const int last_row = rows_ - 1;
  if (code >= '0' && code <= '?') {
    attribute_ = (attribute_ & ~kAttrDisplayBits) | (code & 0x0Fu);
    if (code == '0') attribute_ &= ~kAttrElement;
    return;
  }
  if (code >= '`' && code <= 'o') {
    attribute_ = (attribute_ & ~kAttrForegroundMask) | (code & 0x0Fu) << kAttrForegroundShift;
    return;
  }
  if (code >= 'p' && code <= 0x7F) {
    attribute_ = (attribute_ & ~kAttrBackgroundMask) | (code & 0x0Fu) << kAttrBackgroundShift;
    return;
  }
  switch (code) {
    case '#': {
      const int d = argument(0) & 0x0F;
      if (d == 0) {
        attribute_ &= ~kAttrAlignMask;
      } else if (d <= 6) {
        attribute_ = (attribute_ & ~kAttrAlignMask) | static_cast<std::uint32_t>(d)
                                                          << kAttrAlignShift;
        attribute_ |= kAttrFieldStart;
      } else if (d == 8) {
        frame_character_ = static_cast<std::uint8_t>(argument(1));
      }
      break;
    }
    case '$': {
      const int f = argument(0);
      const std::uint32_t button = (f & 2) != 0 ? kAttrMore : kAttrDropDown;
      if ((f & 1) != 0) {
        attribute_ |= button;
      } else {
        // The cell under the cursor keeps its character and colours.
        std::uint32_t& cell = row_pointer(cursor_.row)[cursor_.column];
        cell = (cell & 0xFF0000FFu) | ((attribute_ & 0xFFFFu) | button) << 8;
        damage(cursor_.row, cursor_.column, cursor_.column);
      }
      break;
    }
    case '%':
      effects.set_cursor_kind(argument(0) == '1'   ? kCursorAppStarting
                              : argument(0) == '2' ? kCursorWait
                                                   : kCursorArrow);
      break;
    case '*':
    case '+':
      effects.request_hardcopy(code == '+' ? 1 : 0);
      damage_all();
      break;
    case '_':
      damage_all();
      break;
    case 0x40:
      screen_size(sequence.subspan(2), effects);
      break;
    case 'A':
      if (cursor_.row > 0) --cursor_.row;
      break;
    case 'B':
      if (cursor_.row < last_row) ++cursor_.row;
      break;
    case 'C':
      // Hosts rely on exactly this: one column left, and only while the column lies beyond
      // the row count less one (the column is compared with the row count, not the width).
      if (cursor_.column > last_row) --cursor_.column;
      break;
    case 'D':
      if (cursor_.column > 0) --cursor_.column;
      break;
    case 'E':
      std::fill(grid_.begin(), grid_.end(), kBlankCell);
      damage_all();
      break;
    case 'F': {
      std::size_t k = 0;
      int column = argument(k++);
      if (columns_ > 256) column = column << 8 | argument(k++);
      int row = argument(k++);
      if (rows_ > 256) row = row << 8 | argument(k++);
      cursor_ = TextCursor{std::min(column, last_column), std::min(row, last_row)};
      break;
    }
    case 'G':
      cursor_ = TextCursor{};
      break;
    case 'H':
    case 'I':
      auto_wrap_ = code == 'H';
      break;
    case 'J':
      fill(cursor_.row, cursor_.column, columns_, kBlankCell);
      for (int r = cursor_.row + 1; r < rows_; ++r) fill(r, 0, columns_, kBlankCell);
      break;
    case 'K':
      fill(cursor_.row, cursor_.column, columns_, kBlankCell);
      break;
    case 'L':
      std::copy_backward(grid_.begin() + static_cast<std::ptrdiff_t>(cursor_.row) * columns_,
                         grid_.end() - columns_, grid_.end());
      std::fill_n(row_pointer(cursor_.row), columns_, kBlankCell);
      damage_rows(cursor_.row, last_row);
      break;
    case 'M':
      std::copy(grid_.begin() + static_cast<std::ptrdiff_t>(cursor_.row + 1) * columns_,
                grid_.end(), grid_.begin() + static_cast<std::ptrdiff_t>(cursor_.row) * columns_);
      std::fill_n(row_pointer(last_row), columns_, kBlankCell);
      damage_rows(cursor_.row, last_row);
      break;
    case 'N':
      if (saved_count_ < kSavedCursorLimit) saved_[saved_count_++] = cursor_;
      break;
    case 'O':
      if (saved_count_ > 0) cursor_ = saved_[--saved_count_];
      break;
    case 'P':
      reset_state();
      std::fill(grid_.begin(), grid_.end(), kBlankCell);
      damage_all();
      break;
    case 'Q':
    case 'R':
      insert_mode_ = code == 'Q';
      break;
    case 'S':
      attribute_ &= ~kAttrSemigraphics;
      break;
    case 'T':
      attribute_ |= kAttrSemigraphics;
      break;
    case 'U':
    case 'V': {
      // n is limited to the cells from the cursor to the row end.
      const int n = std::min(argument(0), columns_ - cursor_.column);
      if (n == 0) break;
      std::uint32_t* row = row_pointer(cursor_.row);
      if (code == 'U') {
        std::copy_backward(row + cursor_.column, row + columns_ - n, row + columns_);
        std::fill_n(row + cursor_.column, n, kBlankCell);
      } else {
        std::copy(row + cursor_.column + n, row + columns_, row + cursor_.column);
        std::fill(row + columns_ - n, row + columns_, kBlankCell);
      }
      damage(cursor_.row, cursor_.column, last_column);
      break;
    }
    case 'W':
    case 'X':
      caret_hidden_ = code == 'W';
      break;
    case 'Y':
      attribute_ |= kAttrRaised;  // with the sunken bit too: the double outline
      break;
    case 'Z':
      attribute_ |= kAttrSunken;
      break;
    case '[':
      attribute_ &= ~(kAttrRaised | kAttrSunken);
      break;
    case '\\':
      effects.activate_context_menu();
      break;
    case ']':
      effects.set_item_state(argument(0) + 256 * argument(1), argument(2));
      break;
    default:
      break;  // other bytes after ESC are consumed and ignored
  }
}

// ESC 0x40 s a b c d with N = a·256 + b and M = c·256 + d.
void TextScreen::screen_size(std::span<const std::uint8_t> arguments, TextScreenEffects& effects) {
  const int n = arguments[1] << 8 | arguments[2];
  const int m = arguments[3] << 8 | arguments[4];
  switch (arguments[0]) {
    case 'A': {
      const int columns = bounded(n, kTextMinColumns, kTextMaxColumns);
      const int rows = bounded(m, kTextMinRows, kTextMaxRows);
      if (columns != columns_ || rows != rows_) {
        resize(columns, rows);
        effects.grid_resized(columns_, rows_);
      }
      damage_all();
      break;
    }
    case 'B':
      view_.rows = m == 0 || m > rows_ ? rows_ : m;
      view_.columns = n == 0 || n > columns_ ? columns_ : n;
      effects.view_changed();
      break;
    case 'C':
      view_.first_row = m < rows_ ? m : 0;
      view_.first_column = n < columns_ ? n : 0;
      damage_all();
      effects.view_changed();
      break;
    default:
      damage_all();
      break;
  }
}

}  // namespace kovw::session
