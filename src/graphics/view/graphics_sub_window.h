#pragma once
// A graphics window inside the main one: its picture at its place, and scroll bars when its
// drawing area is larger than the place. The picture is the part the program made for the
// scroll position; moving a scroll bar asks for the part at the new position.

#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "graphics/view/graphics_window_widget.h"

namespace kovw::graphics {

class GraphicsSubWindow : public QWidget {
  Q_OBJECT

 public:
  GraphicsSubWindow(std::int32_t id, QRect place, QColor background, QWidget* parent);

  std::int32_t id() const { return id_; }
  GraphicsWindowWidget* view() const { return view_; }
  QScrollBar* horizontal() const { return horizontal_; }
  QScrollBar* vertical() const { return vertical_; }
  // The picture of the part from `scroll` on of a drawing area of `extent`.
  void show_part(const QImage& picture, QSize extent, QPoint scroll,
                 std::vector<TooltipRegion> tips, bool tips_active);

 signals:
  void scrolled(std::int32_t id, int x, int y);

 private:
  void scroll_bars_moved();

  std::int32_t id_;
  GraphicsWindowWidget* view_;
  QScrollBar* horizontal_;
  QScrollBar* vertical_;
  bool updating_ = false;
};

}  // namespace kovw::graphics
