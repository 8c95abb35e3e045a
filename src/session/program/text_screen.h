#pragma once
// The model of a text screen: the character grid a host program writes with an output stream
// of characters, control characters and escape sequences, its cursor, modes and view, and the
// record of what changed for the painter. Plain C++: it lives on the program thread, and the
// widget on the GUI thread receives copies of changed rows (TextUpdate), never the model.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "session/program/cursor_kind_numbers.h"
#include "session/program/text_cells.h"

namespace kovw::session {

// Grid sizes come from the host; they are kept within these bounds so that a host cannot make
// the workstation allocate without limit (1000 × 1000 cells are 4 MB).
inline constexpr int kTextMinColumns = 1;
inline constexpr int kTextMinRows = 1;
inline constexpr int kTextMaxColumns = 1000;
inline constexpr int kTextMaxRows = 1000;

inline constexpr int kSavedCursorLimit = 12;

// What the output stream asks of the world outside the model. Every function does nothing
// unless overridden.
class TextScreenEffects {
 public:
  virtual ~TextScreenEffects() = default;
  // BEL; the implementation decides whether the user's settings silence it.
  virtual void beep() {}
  // ESC "%": kCursorArrow, kCursorWait or kCursorAppStarting.
  virtual void set_cursor_kind(int /*kind*/) {}
  // ESC "*" (parameter 0) and ESC "+" (parameter 1): the window hardcopy command.
  virtual void request_hardcopy(int /*parameter*/) {}
  // ESC "\": make context menu 0 the current one and activate it.
  virtual void activate_context_menu() {}
  // ESC "]": the state of the first item whose command code is `command_code`.
  virtual void set_item_state(int /*command_code*/, int /*state*/) {}
  // The grid got a new size (its contents are blank); the windows follow.
  virtual void grid_resized(int /*columns*/, int /*rows*/) {}
  // The visible part of the grid changed (its size or its first row and column).
  virtual void view_changed() {}
};

struct TextCursor {
  int column = 0;
  int row = 0;
  friend bool operator==(const TextCursor&, const TextCursor&) = default;
};

// The visible part of the grid: the whole grid unless the host makes it smaller.
struct TextView {
  int first_row = 0;
  int first_column = 0;
  int rows = 0;
  int columns = 0;
  friend bool operator==(const TextView&, const TextView&) = default;
};

// One row that changed, with a copy of all its cells (runs may reach beyond the changed part).
struct TextRowChange {
  int row = 0;
  int first_column = 0;  // first and last changed column, inclusive
  int last_column = 0;
  std::vector<std::uint32_t> cells;
};

// Everything the painter needs since it last took an update.
struct TextUpdate {
  bool everything = false;  // redraw all rows (then every row is in `rows`)
  // Rows the grid scrolled up since the last update, applied before `rows`: the painter
  // moves its rows up by this count (the rows that scroll in are among `rows`).
  int scrolled = 0;
  int columns = 0;
  int rows_in_grid = 0;
  std::vector<TextRowChange> rows;  // ascending row order
  TextCursor cursor;
  bool caret_hidden = false;
  TextView view;
};

class TextScreen {
 public:
  // A blank grid; sizes are kept within the bounds above.
  TextScreen(int columns, int rows);

  // Processes an output stream. An escape sequence cut off after its code byte is kept and
  // completed by the next call, so a host may split its stream inside a sequence's arguments;
  // a lone ESC at the end of `bytes` is dropped.
  void output(std::span<const std::uint8_t> bytes, TextScreenEffects& effects);

  // The changes since the last call, with copies of the changed rows; resets the record.
  TextUpdate take_update();
  // All rows as an update marked `everything`, leaving the record of changes alone (for a new
  // view, or a hardcopy).
  TextUpdate snapshot() const;
  // Whether anything in an update (cells, cursor, caret, view) changed since the last
  // take_update().
  bool has_changes() const;

  int columns() const { return columns_; }
  int rows() const { return rows_; }
  std::uint32_t cell(int column, int row) const;
  std::span<const std::uint32_t> row_cells(int row) const;
  TextCursor cursor() const { return cursor_; }
  std::uint32_t attribute() const { return attribute_; }
  bool auto_wrap() const { return auto_wrap_; }
  bool insert_mode() const { return insert_mode_; }
  bool caret_hidden() const { return caret_hidden_; }
  std::uint8_t frame_character() const { return frame_character_; }
  int saved_cursor_count() const { return saved_count_; }
  const TextView& view() const { return view_; }
  // Bytes of an escape sequence waiting for the rest of it.
  std::size_t pending_escape_size() const { return pending_size_; }

 private:
  TextUpdate update_frame(bool everything) const;
  // Length of the escape sequence starting at sequence[0] (ESC), or 0 while too few bytes are
  // there to tell.
  std::size_t escape_length(std::span<const std::uint8_t> sequence) const;
  void escape(std::span<const std::uint8_t> sequence, TextScreenEffects& effects);
  void control_or_character(std::uint8_t byte, TextScreenEffects& effects);
  void put_character(std::uint8_t character);
  void line_feed();
  void record_scroll();
  void convert_frame_row();
  void screen_size(std::span<const std::uint8_t> arguments, TextScreenEffects& effects);
  void reset_state();
  void resize(int columns, int rows);

  std::uint32_t* row_pointer(int row) {
    return grid_.data() + static_cast<std::size_t>(row) * columns_;
  }
  void fill(int row, int first_column, int end_column, std::uint32_t cell);
  void damage(int row, int first_column, int last_column);
  void damage_rows(int first_row, int last_row);
  void damage_all();

  int columns_ = 0;
  int rows_ = 0;
  std::vector<std::uint32_t> grid_;
  TextCursor cursor_;
  std::array<TextCursor, kSavedCursorLimit> saved_{};
  int saved_count_ = 0;
  std::uint32_t attribute_ = kResetAttribute;
  bool auto_wrap_ = false;
  bool insert_mode_ = false;
  bool caret_hidden_ = false;
  std::uint8_t frame_character_ = 0;
  TextView view_;

  // The longest escape sequence: ESC, 0x40, s and four bytes.
  static constexpr std::size_t kLongestEscape = 7;
  std::array<std::uint8_t, kLongestEscape> pending_{};
  std::size_t pending_size_ = 0;

  struct RowDamage {
    int first = -1;  // -1: unchanged
    int last = -1;
  };
  std::vector<RowDamage> row_damage_;
  bool damage_all_ = true;
  int scroll_count_ = 0;  // rows scrolled up since the last update (below the row count)
  // What the last update showed.
  TextCursor taken_cursor_;
  bool taken_caret_hidden_ = false;
  TextView taken_view_;
};

}  // namespace kovw::session
