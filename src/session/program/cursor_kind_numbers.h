#pragma once
// The numbers of the cursor kinds that host commands and the code select (plain C++, so that
// the text screen model can name them without Qt).

namespace kovw::session {

inline constexpr int kCursorKindCount = 15;
inline constexpr int kCursorArrow = 1;
inline constexpr int kCursorWait = 2;
inline constexpr int kCursorAppStarting = 3;

}  // namespace kovw::session
