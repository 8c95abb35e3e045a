#pragma once
// An input field inside a graphics window as the user sees it: where it is (drawing-area
// pixels), what it shows (hidden input already masked), where the cursor is, its colours and
// font. The program thread edits the field; the view only draws this.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <algorithm>

namespace kovw::graphics {

struct FieldLook {
  bool shown = false;
  QRect rect;
  QString text;
  int cursor = 0;
  int first = 0;  // the first character shown: the text scrolls to keep the cursor in sight
  bool insert = false;
  QColor text_colour = Qt::black;
  QColor background = Qt::white;
  QFont font;
};

// The first character to show of `text` in `width` pixels so that the cursor stays in sight:
// from `previous`, right when the cursor passes the end, left when it goes before it.
inline int first_shown(const QString& text, int cursor, int width, int previous,
                       const QFontMetrics& metrics) {
  cursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
  int first = std::clamp(previous, 0, cursor);
  while (first < cursor && metrics.horizontalAdvance(text.mid(first, cursor - first + 1)) > width)
    ++first;
  return first;
}

}  // namespace kovw::graphics
