#include "graphics/view/graphics_window_widget.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include "graphics/view/graphics_field_widget.h"

namespace kovw::graphics {

GraphicsWindowWidget::GraphicsWindowWidget(QSize size, QColor background, QWidget* parent)
    : QWidget(parent), size_(size), background_(background) {
  setFixedSize(size);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

void GraphicsWindowWidget::set_picture(const QImage& picture, std::vector<TooltipRegion> tips,
                                       bool tips_active) {
  picture_ = picture;
  tips_ = std::move(tips);
  tips_active_ = tips_active;
  update();
}

QString GraphicsWindowWidget::tooltip_at(QPoint at) const {
  if (!tips_active_) return {};
  for (auto tip = tips_.rbegin(); tip != tips_.rend(); ++tip)
    if (tip->rect.contains(at)) return tip->text;
  return {};
}

void GraphicsWindowWidget::set_field(const FieldLook& look) {
  if (!field_) {
    if (!look.shown) return;
    field_ = new GraphicsFieldWidget(this);
  }
  field_->apply(look);
}

void GraphicsWindowWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  if (picture_.isNull()) {
    painter.fillRect(area, background_);
    return;
  }
  painter.drawImage(area.topLeft(), picture_, area);
  // Where the picture ends (only while a larger area waits for its picture), the background
  // shows.
  if (!picture_.rect().contains(area)) {
    const QRegion rest = QRegion(area).subtracted(QRegion(picture_.rect()));
    for (const QRect& r : rest) painter.fillRect(r, background_);
  }
}

void GraphicsWindowWidget::mousePressEvent(QMouseEvent* event) {
  int code = 0;
  if ((event->buttons() & Qt::LeftButton) && (event->buttons() & Qt::RightButton)) {
    code = 2;
  } else if (event->button() == Qt::LeftButton) {
    code = 1;
  } else if (event->button() == Qt::MiddleButton) {
    code = 2;
  } else if (event->button() == Qt::RightButton) {
    code = 3;
  }
  if (code == 0) return;
  const Qt::KeyboardModifiers held = event->modifiers();
  const int modifiers = ((held & Qt::ShiftModifier) ? 1 : 0) |
                        ((held & Qt::ControlModifier) ? 2 : 0) | ((held & Qt::AltModifier) ? 4 : 0);
  emit clicked(event->position().toPoint(), code, modifiers);
}

bool GraphicsWindowWidget::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = tooltip_at(help->pos());
    if (text.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace kovw::graphics
