#include "session/view/hardcopy_job.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#include "foundation/host_text.h"
#include "session/program/hardcopy_text.h"
#include "session/view/hardcopy_bitmap.h"
#include "session/view/text_screen_painter.h"

namespace kovw::session {

QImage HardcopySource::picture(int area) const {
  if (!text_screen) return area == kHardcopyVisibleArea && !visible.isNull() ? visible : whole;
  return TextScreenPainter::picture(look, cells, columns, view);
}

std::string HardcopySource::text(int format) const {
  if (!text_screen) return {};
  return hardcopy_text(cells, columns, view, format);
}

QByteArray hardcopy_file_bytes(const HardcopySource& source, int format, int area) {
  if (source.text_screen && is_text_format(format)) {
    const std::string text = source.text(format);
    return {text.data(), static_cast<qsizetype>(text.size())};
  }
  const QImage image = source.picture(area);
  if (image.isNull()) return {};
  return bitmap_file(image, 24);
}

int save_hardcopy_file(const QString& path, const QByteArray& bytes, QString* reason) {
  QSaveFile file(path);
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) {
    if (reason) *reason = file.errorString();
    return errno ? errno : EACCES;
  }
  errno = 0;
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    const int error = errno ? errno : EIO;
    if (reason) *reason = file.errorString();
    file.cancelWriting();
    return error;
  }
  return 0;
}

void put_hardcopy_on_clipboard(const HardcopySource& source, int format, int area) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return;
  if (source.text_screen && is_text_format(format)) {
    const std::string text = source.text(kHardcopyClipText);
    clipboard->setText(QString::fromStdU16String(foundation::host_to_wide(text, 0)));
    return;
  }
  const QImage image = source.picture(area);
  if (!image.isNull()) clipboard->setImage(image);
}

bool print_hardcopy(QPagedPaintDevice& device, const HardcopySource& source,
                    const HardcopySettings& settings, const HardcopyPageTexts& texts,
                    const std::function<bool()>& cancelled) {
  set_hardcopy_margins(device, settings.margins);
  QPainter painter;
  if (!painter.begin(&device)) return false;
  HardcopyPageTexts page_texts = texts;
  if (settings.no_heading) page_texts.heading.clear();
  const QRect body = paint_page_frame(painter, hardcopy_page_rect(device), page_texts);
  if (cancelled && cancelled()) {
    painter.end();
    return false;
  }
  if (source.text_screen) {
    TextScreenPainter::paint_page(painter, source.look, source.cells, source.columns, source.view,
                                  body, is_text_format(settings.format));
  } else {
    const QImage image = source.picture(settings.area);
    if (!image.isNull()) {
      const QSize target = image.size().scaled(body.size(), Qt::KeepAspectRatio);
      painter.drawImage(QRect(body.topLeft(), target), image);
    }
  }
  if (cancelled && cancelled()) {
    painter.end();
    return false;
  }
  return painter.end();
}

}  // namespace kovw::session
