#pragma once
// An input field inside a graphics window as the user sees it: where it is (drawing-area
// pixels), what it shows (hidden input already masked), where the cursor is, its colours and
// font. The program thread edits the field; the view only draws this.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

namespace kovw::graphics {

struct FieldLook {
  bool shown = false;
  QRect rect;
  QString text;
  int cursor = 0;
  bool insert = false;
  QColor text_colour = Qt::black;
  QColor background = Qt::white;
  QFont font;
};

}  // namespace kovw::graphics
