#include "graphics/view/graphics_field_widget.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace kovw::graphics {

GraphicsFieldWidget::GraphicsFieldWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

void GraphicsFieldWidget::apply(const FieldLook& look) {
  look_ = look;
  if (!look.shown) {
    hide();
    return;
  }
  setGeometry(look.rect);
  show();
  raise();
  update();
}

void GraphicsFieldWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), look_.background);
  painter.setFont(look_.font);
  painter.setPen(look_.text_colour);
  const QFontMetrics metrics(look_.font);
  const QString shown = look_.text.mid(look_.first);
  painter.drawText(0, metrics.ascent(), shown);
  // A thin line under the field shows where it ends when its background is the picture's.
  painter.fillRect(QRect(0, height() - 1, width(), 1), QColor(128, 128, 128));
  const int cursor = std::clamp(look_.cursor - look_.first, 0, static_cast<int>(shown.size()));
  const int x = metrics.horizontalAdvance(shown.left(cursor));
  if (look_.insert) {
    painter.fillRect(QRect(x, 0, 2, height()), look_.text_colour);
  } else {
    const QChar under = cursor < shown.size() ? shown[cursor] : QChar(u' ');
    const int w = std::max(2, metrics.horizontalAdvance(under));
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(QRect(x, 0, w, height()), Qt::white);
  }
}

}  // namespace kovw::graphics
