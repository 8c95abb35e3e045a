#pragma once
// A colour of the colour model as the view's toolkit takes it.

#include <QColor>

#include "protocol/program/screen_options.h"

namespace kovw::session {

inline QColor to_qcolor(protocol::Rgb colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace kovw::session
