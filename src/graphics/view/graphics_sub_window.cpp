#include "graphics/view/graphics_sub_window.h"

#include <QGridLayout>

namespace kovw::graphics {

GraphicsSubWindow::GraphicsSubWindow(std::int32_t id, QRect place, QColor background,
                                     QWidget* parent)
    : QWidget(parent),
      id_(id),
      view_(new GraphicsWindowWidget(place.size(), background, this)),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this)) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 0, 0, Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(vertical_, 0, 1);
  layout->addWidget(horizontal_, 1, 0);
  horizontal_->hide();
  vertical_->hide();
  setGeometry(place);
  connect(horizontal_, &QScrollBar::valueChanged, this, [this] { scroll_bars_moved(); });
  connect(vertical_, &QScrollBar::valueChanged, this, [this] { scroll_bars_moved(); });
  show();
}

void GraphicsSubWindow::show_part(const QImage& picture, QSize extent, QPoint scroll,
                                  std::vector<TooltipRegion> tips, bool tips_active) {
  updating_ = true;
  const QSize visible = size();
  horizontal_->setVisible(extent.width() > visible.width());
  vertical_->setVisible(extent.height() > visible.height());
  horizontal_->setRange(0, std::max(0, extent.width() - visible.width()));
  vertical_->setRange(0, std::max(0, extent.height() - visible.height()));
  horizontal_->setPageStep(visible.width());
  vertical_->setPageStep(visible.height());
  horizontal_->setValue(scroll.x());
  vertical_->setValue(scroll.y());
  updating_ = false;
  view_->set_picture(picture, std::move(tips), tips_active);
}

void GraphicsSubWindow::scroll_bars_moved() {
  if (!updating_) emit scrolled(id_, horizontal_->value(), vertical_->value());
}

}  // namespace kovw::graphics
