#pragma once
// What a program thread hands its view about its text screen: the look of the screen when it
// is made (font, colours, field layout, caret) and, after output, copies of the rows that
// changed with the cursor and the view. The view keeps its own copy of the grid; the model on
// the program thread is never shared.

#include <QColor>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <utility>

#include "session/program/text_screen.h"
#include "session/window_messages.h"

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

// WML_VIEW_TEXT_SCREEN: a new text screen in the content window (replaces any screen), or,
// without a look, no text screen any more.
class TextScreenCreateEvent : public WmlEvent {
 public:
  explicit TextScreenCreateEvent(std::optional<TextScreenLook> look)
      : WmlEvent(WML_VIEW_TEXT_SCREEN), look(std::move(look)) {}
  std::optional<TextScreenLook> look;
};

// WML_VIEW_TEXT_ROWS: changes of the text screen. `done` runs when the event goes, after the
// view applied it (or when it never reached a view): the program thread paces its updates by it.
class TextScreenRowsEvent : public WmlEvent {
 public:
  explicit TextScreenRowsEvent(TextUpdate update, std::function<void()> done = {})
      : WmlEvent(WML_VIEW_TEXT_ROWS), update(std::move(update)), done_(std::move(done)) {}
  ~TextScreenRowsEvent() override {
    if (done_) done_();
  }
  TextScreenRowsEvent(const TextScreenRowsEvent&) = delete;
  TextScreenRowsEvent& operator=(const TextScreenRowsEvent&) = delete;
  TextUpdate update;

 private:
  std::function<void()> done_;
};

}  // namespace kovw::session
