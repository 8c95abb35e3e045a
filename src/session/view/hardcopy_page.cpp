#include "session/view/hardcopy_page.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSysInfo>

namespace kovw::session {

namespace {

QString user_name() {
  QString name = qEnvironmentVariable("USER");
  if (name.isEmpty()) name = qEnvironmentVariable("USERNAME");
  if (name.isEmpty()) name = QDir::home().dirName();
  return name;
}

// `family` at `points` for the painter's device.
QFont frame_font(int points) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(points);
  return font;
}

}  // namespace

QString hardcopy_heading_now(const QDateTime& when) {
  const QDate date = when.date();
  const QTime time = when.time();
  return QString::fromStdString(hardcopy_heading(
      user_name().toStdString(), QSysInfo::machineHostName().toStdString(), date.day(),
      date.month(), date.year(), time.hour(), time.minute(), time.second()));
}

QString hardcopy_footer(const QDateTime& when) {
  return QStringLiteral("KOV Workstation - Hardcopy - (c) %1")
      .arg(when.date().year(), 4, 10, QLatin1Char('0'));
}

void set_hardcopy_margins(QPagedPaintDevice& device, const HardcopyMargins& margins) {
  QPageLayout layout = device.pageLayout();
  layout.setUnits(QPageLayout::Millimeter);
  layout.setMinimumMargins(QMarginsF());
  layout.setMargins(QMarginsF(margins.left / 100.0, margins.top / 100.0, margins.right / 100.0,
                              margins.bottom / 100.0));
  device.setPageLayout(layout);
}

QRect hardcopy_page_rect(QPagedPaintDevice& device) {
  return {QPoint(0, 0), device.pageLayout().paintRectPixels(device.logicalDpiX()).size()};
}

QRect paint_page_frame(QPainter& painter, const QRect& page, const HardcopyPageTexts& texts) {
  QRect body = page;
  painter.save();
  painter.setPen(Qt::black);
  if (!texts.heading.isEmpty()) {
    painter.setFont(frame_font(10));
    const int h = QFontMetrics(painter.font(), painter.device()).height();
    body.setTop(body.top() + h + h / 2);
    const QRect line(page.left(), body.top() - h / 2 - h, page.width(), h);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, texts.heading);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, texts.description);
  }
  if (!texts.footer.isEmpty()) {
    painter.setFont(frame_font(8));
    const int h = QFontMetrics(painter.font(), painter.device()).height();
    body.setBottom(body.bottom() - (h + h / 2));
    const QRect line(page.left(), body.bottom() + h / 2, page.width(), h);
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, texts.footer);
  }
  painter.restore();
  return body;
}

}  // namespace kovw::session
