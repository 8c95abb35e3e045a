// The font of a screen by its mode, scaled by the font scale, with the definition's font when
// the settings give none.

#include <gtest/gtest.h>

#include "session/program/screen_font.h"
#include "session/program/session_host.h"

namespace kovw::session {
namespace {

TEST(ScreenFont, ModeChoosesTheFontAndTheScaleApplies) {
  SessionHost host;
  host.text_font_name = "Courier New";
  host.text_font_tenths = 160;
  host.prop_font_name = "Arial";
  host.prop_font_tenths = 120;
  struct Case {
    int mode, scale;
    ScreenFont font;
  };
  const Case cases[] = {
      {1, 100, {"Arial", 120}},       {2, 100, {"Arial", 120}},
      {5, 150, {"Arial", 180}},       {3, 100, {"Courier New", 160}},
      {3, 125, {"Courier New", 200}}, {0, 100, {"Courier New", 160}},
      {7, 50, {"Courier New", 80}},   {4, 100, {"Courier New", 160}},
      {1, 0, {"Arial", 120}},  // no scale known: 100 percent
  };
  for (const Case& test : cases)
    EXPECT_EQ(test.font, screen_font_for(test.mode, host, test.scale, "Host Font", 90))
        << "mode " << test.mode << " scale " << test.scale;
}

TEST(ScreenFont, DefinitionFontWhenTheSettingsGiveNone) {
  SessionHost host;
  host.prop_font_name = "";
  host.text_font_tenths = 0;
  EXPECT_EQ((ScreenFont{"Host Font", 180}), screen_font_for(1, host, 200, "Host Font", 90));
  EXPECT_EQ((ScreenFont{"Host Font", 90}), screen_font_for(3, host, 100, "Host Font", 90));
}

}  // namespace
}  // namespace kovw::session
