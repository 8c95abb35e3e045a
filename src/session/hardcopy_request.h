#pragma once
// The message that asks a program's view for a window hardcopy, with a copy of what the
// program thread knows of the window: its description and, for a text screen, the grid and the
// visible part as the model holds them at that moment (the view's copy may still wait for rows
// that the output pacing holds back).

#include <QString>
#include <cstdint>
#include <vector>

#include "session/program/text_screen.h"

namespace kovw::session {

inline constexpr int WML_VIEW_HARDCOPY = 3240;  // to the view: make a hardcopy of the window

namespace to_view {

struct Hardcopy {
  static constexpr int kNumber = WML_VIEW_HARDCOPY;
  int parameter = 0;  // bit 0: to the clipboard without the dialog
  QString description;
  bool text_screen = false;
  std::vector<std::uint32_t> cells;  // rows of `columns` cells
  int columns = 0;
  TextView view;
};

}  // namespace to_view

}  // namespace kovw::session
