#pragma once
// The printed page of a window hardcopy: margins through the page layout, the heading line
// (the window's description at the left, user, computer, date and time at the right) and the
// footer, and the body in what remains.

#include <QDateTime>
#include <QRect>
#include <QString>

#include "session/program/hardcopy_settings.h"

class QPagedPaintDevice;
class QPainter;

namespace kovw::session {

struct HardcopyPageTexts {
  QString description;  // the window's description, left in the heading
  QString heading;      // "user:computer date time", right in the heading; empty: no heading
  QString footer;       // centred at the bottom
};

// The heading of the local time `when` for the user and computer this process runs for.
QString hardcopy_heading_now(const QDateTime& when);
// The footer: the product's one-line notice with the year of `when`.
QString hardcopy_footer(const QDateTime& when);

// Sets `margins` (hundredths of a millimetre) on the device's page layout; call before a
// painter begins on it.
void set_hardcopy_margins(QPagedPaintDevice& device, const HardcopyMargins& margins);
// The area inside the margins, in the painter's device pixels (origin at the margins' corner).
QRect hardcopy_page_rect(QPagedPaintDevice& device);
// Paints heading and footer in black on `page`; returns the part of `page` left for the body.
QRect paint_page_frame(QPainter& painter, const QRect& page, const HardcopyPageTexts& texts);

}  // namespace kovw::session
