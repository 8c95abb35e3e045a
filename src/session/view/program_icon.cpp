#include "session/view/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kovw::session {

namespace {

// Drawn on a 32 × 32 grid, scaled to `size`.
QPixmap drawn(int size, bool encrypted) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 32.0, size / 32.0);
  // The screen: a dark bezel, a blue face with two text lines, a foot.
  painter.setPen(QPen(QColor(40, 40, 48), 2));
  painter.setBrush(QColor(32, 96, 176));
  painter.drawRoundedRect(QRectF(2, 3, 28, 20), 3, 3);
  painter.setPen(QPen(QColor(230, 240, 255), 2));
  painter.drawLine(QPointF(7, 9), QPointF(22, 9));
  painter.drawLine(QPointF(7, 14), QPointF(17, 14));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(40, 40, 48));
  painter.drawRect(QRectF(13, 23, 6, 4));
  painter.drawRoundedRect(QRectF(8, 27, 16, 3), 1, 1);
  if (!encrypted) return pixmap;
  // The padlock in the lower right corner: a gold body and a closed shackle.
  QPainterPath shackle;
  shackle.moveTo(19, 21);
  shackle.lineTo(19, 17);
  shackle.arcTo(QRectF(19, 12, 10, 10), 180, -180);
  shackle.lineTo(29, 21);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(60, 50, 20), 4));
  painter.drawPath(shackle);
  painter.setPen(QPen(QColor(250, 250, 250), 2));
  painter.drawPath(shackle);
  painter.setPen(QPen(QColor(60, 50, 20), 1.5));
  painter.setBrush(QColor(232, 176, 32));
  painter.drawRoundedRect(QRectF(16.5, 20, 15, 11), 2, 2);
  painter.setBrush(QColor(60, 50, 20));
  painter.drawEllipse(QPointF(24, 25), 1.5, 1.5);
  return pixmap;
}

}  // namespace

QIcon program_icon(bool encrypted) {
  QIcon icon;
  for (const int size : {16, 20, 24, 32, 48, 64}) icon.addPixmap(drawn(size, encrypted));
  return icon;
}

}  // namespace kovw::session
