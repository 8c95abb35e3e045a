#pragma once
// What a program thread hands its view about its text screen: the look of the screen when it
// is made (font, colours, field layout, caret) and, after output, copies of the rows that
// changed with the cursor and the view. The view keeps its own copy of the grid; the model on
// the program thread is never shared.

#include <QColor>
#include <QString>
#include <array>
#include <optional>

#include "session/program/text_screen.h"

namespace kovw::session {

struct TextScreenLook {
  QString font_name;              // as the settings or the host name it (substituted by the view)
  int font_tenths = 160;          // font height in tenths of a point
  bool field_layout = false;      // texts aligned inside their cells (mode 3 screens)
  int caret_width = 2;            // pixels
  bool caret_suppressed = false;  // the screen definition's style shows no caret at all
  // The colour tables of the screen's colour model (foreground and background indexes of the
  // attributes), and the colours of edges and field buttons.
  std::array<QColor, 16> foreground_colours;
  std::array<QColor, 16> background_colours;
  QColor edge_light, edge_shadow;
  QColor button_face, button_text;
};

}  // namespace kovw::session
