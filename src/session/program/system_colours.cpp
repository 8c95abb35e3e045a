#include "session/program/system_colours.h"

#include "foundation/named_lock.h"

namespace kovw::session {

namespace {
bool g_known = false;  // guarded by "HV-default"
SystemColourTable g_colours;
}  // namespace

SystemColourTable default_system_colours() {
  using S = SystemColour;
  SystemColourTable t;
  const protocol::Rgb face{212, 208, 200}, white{255, 255, 255}, black{0, 0, 0},
      gray{128, 128, 128};
  t[S::kWindow] = white;
  t[S::kWindowText] = black;
  t[S::kHighlight] = {10, 36, 106};
  t[S::kHighlightText] = white;
  t[S::kInactiveBorder] = face;
  t[S::kInactiveCaptionText] = face;
  t[S::kButtonFace] = face;
  t[S::kButtonText] = black;
  t[S::kButtonHighlight] = white;
  t[S::kDarkShadow3d] = {64, 64, 64};
  t[S::kButtonShadow] = gray;
  t[S::kLight3d] = face;
  t[S::kMenu] = face;
  t[S::kMenuText] = black;
  t[S::kScrollBar] = face;
  t[S::kGrayText] = gray;
  t[S::kActiveCaption] = {10, 36, 106};
  t[S::kInactiveCaption] = gray;
  t[S::kCaptionText] = white;
  t[S::kTooltipText] = black;
  return t;
}

void remember_system_colours(const SystemColourTable& colours, bool replace) {
  foundation::DefaultLockGuard lock;
  if (g_known && !replace) return;
  g_colours = colours;
  g_known = true;
}

SystemColourTable system_colours() {
  foundation::DefaultLockGuard lock;
  return g_known ? g_colours : default_system_colours();
}

}  // namespace kovw::session
