#pragma once
// The font a screen definition gives its screen: the settings' text font for text screens in
// field layout (mode 3, and any mode outside 1 to 5), their proportional font for modes 1, 2
// and 5, scaled by the session's font scale. When the settings name no font or give it no
// size, the font of the definition (name and size, scaled) is taken.

#include <string>

namespace kovw::session {

struct SessionHost;

struct ScreenFont {
  std::string name = "Courier New";
  int tenths = 160;  // height in tenths of a point
  bool operator==(const ScreenFont&) const = default;
};

// Modes 1, 2 and 5 draw with the proportional font; mode 4 (icon views) keeps the standard
// font and gets the text font here.
bool mode_uses_proportional_font(int mode);

ScreenFont screen_font_for(int mode, const SessionHost& host, int scale_percent,
                           const std::string& definition_name, int definition_tenths);

}  // namespace kovw::session
