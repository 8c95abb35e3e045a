#pragma once
// The text screen as the user sees it: the view's copy of the character grid, drawn cell by
// cell in the screen's fonts and colours, with the caret at the cursor. It lives in the
// program's content window on the GUI thread and is fed by the rows its program thread posts.

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "session/program/text_screen_update.h"

namespace kovw::session {

class TextScreenWidget : public QWidget {
 public:
  TextScreenWidget(const TextScreenLook& look, QWidget* parent);

  void apply(const TextUpdate& update);

  int cell_width() const { return cell_width_; }
  int cell_height() const { return cell_height_; }
  // The pixel size of the visible part of the grid.
  QSize sizeHint() const override;
  std::uint32_t cell(int column, int row) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void paint_row(QPainter& painter, int row);
  QRect row_rect(int row) const;
  QColor foreground(std::uint32_t attribute) const;
  QColor background(std::uint32_t attribute) const;

  TextScreenLook look_;
  QFont font_a_;
  QFont font_b_;  // font A in bold
  int cell_width_ = 8;
  int cell_height_ = 16;
  int ascent_ = 12;
  // The grid as last received, with the cursor and the view.
  int columns_ = 0;
  int rows_ = 0;
  std::vector<std::uint32_t> cells_;
  TextCursor cursor_;
  bool caret_hidden_ = false;
  TextView view_;
};

}  // namespace kovw::session
