#pragma once
// The cursor kinds 0 to 14 that host commands and the code select, as Qt cursor shapes.

#include <Qt>

namespace kovw::session {

inline constexpr int kCursorKindCount = 15;
inline constexpr int kCursorArrow = 1;
inline constexpr int kCursorWait = 2;
inline constexpr int kCursorAppStarting = 3;

// The shape of `kind`; kinds outside 0 to 14 show the arrow.
Qt::CursorShape cursor_shape(int kind);

}  // namespace kovw::session
