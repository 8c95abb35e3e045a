#pragma once
// The cursor kinds 0 to 14 that host commands and the code select, as Qt cursor shapes.

#include <Qt>

#include "session/program/cursor_kind_numbers.h"

namespace kovw::session {

// The shape of `kind`; kinds outside 0 to 14 show the arrow.
Qt::CursorShape cursor_shape(int kind);

}  // namespace kovw::session
