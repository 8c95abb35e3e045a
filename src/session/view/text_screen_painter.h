#pragma once
// Paints rows of a text screen's grid onto any QPainter: cells in the screen's fonts and
// colours, line-drawing pieces, aligned field texts, element edges and buttons, and the caret.
// The widget paints the screen with it; a hardcopy or a printer page paints the same rows with
// fonts measured for its own device.

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <span>

#include "session/program/text_screen_update.h"

class QImage;
class QPainter;
class QPaintDevice;

namespace kovw::session {

// The colours a text screen is painted in: its two colour tables and the colours of element
// edges and buttons.
struct TextScreenColours {
  std::array<QColor, 16> foreground;
  std::array<QColor, 16> background;
  QColor edge_light, edge_shadow;
  QColor button_face, button_text;

  static TextScreenColours of(const TextScreenLook& look);
};

class TextScreenPainter {
 public:
  // The fonts of `look`, `scale` times their size, measured for `device` (nullptr: the
  // screen); the cell size follows from them.
  explicit TextScreenPainter(const TextScreenLook& look, const QPaintDevice* device = nullptr,
                             qreal scale = 1.0);

  int cell_width() const { return cell_width_; }
  int cell_height() const { return cell_height_; }
  // The pixel size of `columns` x `rows` cells.
  QSize grid_size(int columns, int rows) const {
    return {columns * cell_width_, rows * cell_height_};
  }
  const TextScreenColours& colours() const { return colours_; }
  // Font A, or font B (bold); the baseline's distance from a cell's top; the caret's width.
  const QFont& font(bool bold) const { return bold ? font_b_ : font_a_; }
  int ascent() const { return ascent_; }
  int caret_width() const { return caret_width_; }
  void set_colours(const TextScreenColours& colours) { colours_ = colours; }
  // What lies behind the cells: the background colour of the screen (index 15).
  QColor screen_background() const { return colours_.background[15]; }

  // Paints one row of cells; the top-left corner of cells[0] lies at `origin`.
  void paint_row(QPainter& painter, std::span<const std::uint32_t> cells, QPoint origin) const;
  // Paints rows `first_row` to `last_row` (inclusive) of a grid of `columns` cells per row; the
  // top-left corner of the grid's cell (0, 0) lies at `origin`.
  void paint_rows(QPainter& painter, std::span<const std::uint32_t> grid, int columns,
                  int first_row, int last_row, QPoint origin) const;
  // The caret bar in the cell holding `cell`, whose top-left corner lies at `cell_origin`: the
  // caret width wide, the bold font's height high, in the cell's text colour.
  void paint_caret(QPainter& painter, QPoint cell_origin, std::uint32_t cell) const;
  // The area paint_caret paints.
  QRect caret_rect(QPoint cell_origin) const;

  // Hardcopy forms of the cells of `region` of a grid of `columns` cells per row.
  // The picture: the cells in the screen's colours at the screen's size.
  static QImage picture(const TextScreenLook& look, std::span<const std::uint32_t> grid,
                        int columns, const TextView& region);
  // A page: the cells fitted into `page` (device pixels of the painter's device) keeping the
  // screen's aspect ratio, at the top-left corner of `page`. Text mode paints black text on
  // white with the fonts made again for the device at the fitted size; otherwise the picture
  // is stretched onto the page. Returns the area painted.
  static QRect paint_page(QPainter& painter, const TextScreenLook& look,
                          std::span<const std::uint32_t> grid, int columns, const TextView& region,
                          const QRect& page, bool text_mode);

 private:
  QColor foreground(std::uint32_t attribute) const;
  QColor background(std::uint32_t attribute) const;
  void paint_field_text(QPainter& painter, std::span<const std::uint32_t> run_cells,
                        std::uint32_t attribute, const QRect& span, int baseline) const;

  TextScreenColours colours_;
  bool field_layout_ = false;
  int caret_width_ = 2;
  QFont font_a_;
  QFont font_b_;  // font A in bold
  // The fonts of runs drawn as one text: a fixed-pitch font whose advance differs from the
  // cell width gets that difference as letter spacing, so every glyph starts at its cell.
  // Without them (a proportional font) each cell is drawn on its own.
  QFont run_font_a_;
  QFont run_font_b_;
  bool whole_runs_ = false;
  int cell_width_ = 8;
  int cell_height_ = 16;
  int ascent_ = 12;
  int caret_height_ = 14;
};

}  // namespace kovw::session
