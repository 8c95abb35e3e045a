#include "session/program/screen_font.h"

#include "session/program/session_host.h"

namespace kovw::session {

bool mode_uses_proportional_font(int mode) {
  return mode == 1 || mode == 2 || mode == 5;
}

ScreenFont screen_font_for(int mode, const SessionHost& host, int scale_percent,
                           const std::string& definition_name, int definition_tenths) {
  const bool proportional = mode_uses_proportional_font(mode);
  ScreenFont font;
  font.name = proportional ? host.prop_font_name : host.text_font_name;
  font.tenths = proportional ? host.prop_font_tenths : host.text_font_tenths;
  if (font.name.empty() || font.tenths == 0) {
    font.name = definition_name;
    font.tenths = definition_tenths;
  }
  const int scale = scale_percent > 0 ? scale_percent : 100;
  font.tenths = font.tenths * scale / 100;
  return font;
}

}  // namespace kovw::session
