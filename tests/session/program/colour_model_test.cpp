// The colour model: normalising a received screen option record, the values derived from it
// (text screen colours, shades, fonts, icon size, frame values) and a text screen drawn in
// the model's colours or, with the model off, in the system's.

#include <gtest/gtest.h>

#include <QImage>
#include <QPalette>

#include "protocol/program/screen_options.h"
#include "session/program/colour_model.h"
#include "session/program/screen_initialisation.h"
#include "session/program/system_colours.h"
#include "session/session_fixture.h"
#include "session/view/system_palette.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session::test {
namespace {

namespace opt = protocol::screen_option;
using S = SystemColour;

// System colours that differ from each other and from any record colour used below.
SystemColourTable distinct_system_colours() {
  SystemColourTable table;
  for (std::size_t i = 0; i < kSystemColourCount; ++i) {
    table[static_cast<SystemColour>(i)] = {static_cast<std::uint8_t>(1 + i),
                                           static_cast<std::uint8_t>(101 + i),
                                           static_cast<std::uint8_t>(201 + i)};
  }
  return table;
}

ScreenOptions filled_record(std::uint8_t fill) {
  ScreenOptions record;
  record.fill(fill);
  return record;
}

// With the model off every colour of the record that follows the system takes its system
// colour; bytes without one are kept.
TEST(ColourModelTest, ModelOffTakesTheSystemColours) {
  const SystemColourTable system = distinct_system_colours();
  ScreenOptions record = filled_record(0x77);
  record[opt::kModelSwitch] = 0;
  record[opt::kFrameOption] = 5;
  normalise_screen_options(record, system);

  const std::pair<std::size_t, SystemColour> expected[] = {
      {4, S::kButtonText},
      {7, S::kGrayText},
      {10, S::kButtonFace},
      {13, S::kButtonFace},
      {16, S::kButtonText},
      {19, S::kButtonFace},
      {25, S::kMenuText},
      {28, S::kMenu},
      {31, S::kButtonText},
      {34, S::kButtonFace},
      {41, S::kButtonFace},
      {44, S::kButtonText},
      {47, S::kWindowText},
      {50, S::kHighlight},
      {53, S::kLight3d},
      {56, S::kButtonHighlight},
      {59, S::kDarkShadow3d},
      {66, S::kMenuText},
      {71, S::kMenu},
      {74, S::kLight3d},
      {77, S::kButtonShadow},
      {80, S::kHighlightText},
      {83, S::kGrayText},
      {86, S::kButtonFace},
      {91, S::kMenu},
      {101, S::kWindow},
      {106, S::kLight3d},
      {109, S::kButtonShadow},
      {112, S::kActiveCaption},
      {115, S::kMenu},
      {131, S::kMenuText},
      {134, S::kMenu},
      {168, S::kCaptionText},
      {171, S::kTooltipText},
      {180, S::kCaptionText},
      {183, S::kTooltipText},
      {190, S::kInactiveCaption},
      {193, S::kActiveCaption},
  };
  for (const auto& [offset, colour] : expected)
    EXPECT_EQ(system[colour], protocol::option_colour(record, offset)) << "offset " << offset;
  // The frame option rule.
  EXPECT_EQ(2, record[opt::kFrameOption]);
  EXPECT_EQ(2, record[99]);
  EXPECT_EQ(3, record[100]);
  // Colours without a system colour, option bytes and reserved bytes are kept.
  EXPECT_EQ((protocol::Rgb{0x77, 0x77, 0x77}), protocol::option_colour(record, 165));
  for (const std::size_t kept : {0u, 1u, 2u, 3u, 62u, 122u, 153u, 198u, 204u, 223u})
    EXPECT_EQ(0x77, record[kept]) << "byte " << kept;
}

TEST(ColourModelTest, NormalisingSwitchFontAndFrameOption) {
  struct Case {
    std::uint8_t font_number, font_size, model_switch, frame_option;
    std::uint8_t want_number, want_size, want_switch, want_frame_option;
    bool colours_from_system;
  };
  const Case cases[] = {
      {0, 0, 1, 5, 6, 10, 1, 5, false},      // model on: only the font defaults
      {3, 12, 0x31, 5, 3, 12, 1, 5, false},  // high bits of the switch cleared, model stays on
      {0, 9, 0xF0, 5, 6, 9, 0, 2, true},     // only high bits: the model is off
      {7, 0, 0, 0, 7, 10, 0, 0, true},       // model off without frame option
  };
  const SystemColourTable system = distinct_system_colours();
  for (const Case& c : cases) {
    ScreenOptions record = filled_record(0x40);
    record[opt::kFontNumber] = c.font_number;
    record[opt::kFontSize] = c.font_size;
    record[opt::kModelSwitch] = c.model_switch;
    record[opt::kFrameOption] = c.frame_option;
    normalise_screen_options(record, system);
    SCOPED_TRACE(::testing::Message() << "switch " << int{c.model_switch});
    EXPECT_EQ(c.want_number, record[opt::kFontNumber]);
    EXPECT_EQ(c.want_size, record[opt::kFontSize]);
    EXPECT_EQ(c.want_switch, record[opt::kModelSwitch]);
    EXPECT_EQ(c.want_frame_option, record[opt::kFrameOption]);
    EXPECT_EQ(c.colours_from_system,
              protocol::option_colour(record, opt::kBackground) == system[S::kButtonFace]);
  }
}

TEST(ColourModelTest, ModelFontsTakeDefaultsAndSizesInTenths) {
  ScreenOptions record{};
  record[opt::kDefaultFont] = 4;
  record[opt::kDefaultFont + 1] = 9;
  auto font_at = [&record](std::uint8_t number, std::uint8_t size) {
    record[opt::kFont2] = number;
    record[opt::kFont2 + 1] = size;
    return model_font(record, opt::kFont2);
  };
  EXPECT_EQ((ModelFont{3, 120}), font_at(3, 12));
  EXPECT_EQ((ModelFont{3, 25}), font_at(3, 25));     // from 25 the size is in tenths already
  EXPECT_EQ((ModelFont{4, 90}), font_at(40, 12));    // number from 32: the default pair
  EXPECT_EQ((ModelFont{31, 90}), font_at(31, ' '));  // a blank size: the default size
  EXPECT_EQ((ModelFont{0, 90}), font_at(0, 0));      // no size at all: likewise

  // Defaults that cannot be used become font 6 in 10 points.
  record[opt::kDefaultFont] = 32;
  EXPECT_EQ((ModelFont{6, 100}), font_at(40, 12));
  record[opt::kDefaultFont] = 4;
  record[opt::kDefaultFont + 1] = 0;
  EXPECT_EQ((ModelFont{6, 100}), font_at(40, 12));
  record[opt::kDefaultFont + 1] = 110;
  EXPECT_EQ((ModelFont{4, 110}), font_at(50, 0));
}

TEST(ColourModelTest, ShadesByKind) {
  struct Case {
    protocol::Rgb base;
    std::uint8_t kind, step1, step2, margin;
    Shades want;
  };
  const Case cases[] = {
      // Base at the top, default steps, lightness 0.2: the margin rule puts the top at
      // (30 + 20) / 255 (in both colour spaces for a gray).
      {{51, 51, 51}, 1, 0, 0, 0, {{50, 50, 50}, {20, 20, 20}, {0, 0, 0}}},
      {{51, 51, 51}, 0, 0, 0, 0, {{50, 50, 50}, {20, 20, 20}, {0, 0, 0}}},
      // Base at the top with room below: the base itself is the top.
      {{200, 0, 0}, 0, 0, 0, 0, {{200, 0, 0}, {170, 0, 0}, {150, 0, 0}}},
      // Base in the middle, lowered so that the top stays below the margin.
      {{255, 255, 255}, 2, 0, 0, 0, {{243, 243, 243}, {213, 213, 213}, {193, 193, 193}}},
      // Base in the middle near black: the bottom drops to 0.
      {{20, 20, 20}, 2, 0, 0, 0, {{50, 50, 50}, {20, 20, 20}, {0, 0, 0}}},
      // Base at the bottom with own steps.
      {{100, 100, 100}, 4, 10, 5, 0, {{115, 115, 115}, {105, 105, 105}, {100, 100, 100}}},
      {{255, 255, 255}, 4, 0, 0, 0, {{243, 243, 243}, {213, 213, 213}, {193, 193, 193}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "kind " << int{c.kind} << " base " << int{c.base.red});
    const Shades shades = compute_shades(c.base, c.kind, c.step1, c.step2, c.margin);
    EXPECT_EQ(c.want.top, shades.top);
    EXPECT_EQ(c.want.middle, shades.middle);
    EXPECT_EQ(c.want.bottom, shades.bottom);
  }
  // Hue and saturation are kept in HSL: a light red stays a light red of the same hue.
  const Shades red = compute_shades({200, 100, 100}, 1, 0, 0, 0);
  EXPECT_EQ((protocol::Rgb{200, 100, 100}), red.top);
  EXPECT_GT(red.middle.red, red.middle.green);
  EXPECT_EQ(red.middle.green, red.middle.blue);
}

ScreenOptions model_on_record() {
  ScreenOptions record{};
  for (std::size_t offset = 4; offset + 3 <= 200; offset += 3)
    protocol::set_option_colour(record, offset, {static_cast<std::uint8_t>(offset), 0x11, 0x22});
  record[opt::kModelSwitch] = 1;
  record[opt::kFrameType] = 0;
  protocol::set_option_colour(record, opt::kWindowBackground, {101, 0, 0});
  protocol::set_option_colour(record, opt::kWindowText, {47, 0, 0});
  protocol::set_option_colour(record, opt::kHighlight, {50, 0, 0});
  protocol::set_option_colour(record, opt::kHighlightText, {80, 0, 0});
  protocol::set_option_colour(record, opt::kEdgeLight, {106, 0, 0});
  protocol::set_option_colour(record, opt::kCaption, {112, 0, 0});
  protocol::set_option_colour(record, opt::kTextColour, {44, 0, 0});
  protocol::set_option_colour(record, opt::kBackground, {41, 0, 0});
  protocol::set_option_colour(record, opt::kEdgeHighlight, {56, 0, 0});
  protocol::set_option_colour(record, opt::kEdgeShadow, {109, 0, 0});
  return record;
}

TEST(ColourModelTest, TextScreenColourTablesFollowTheModelOrTheSystem) {
  const SystemColourTable system = distinct_system_colours();
  ScreenOptions record = model_on_record();
  normalise_screen_options(record, system);
  const ColourModel on = apply_colour_model(record, {}, system);
  ASSERT_TRUE(on.on());
  const std::uint8_t entries[8] = {101, 47, 50, 80, 106, 112, 44, 41};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ((protocol::Rgb{entries[i], 0, 0}), on.foreground_table()[8 + i]) << 8 + i;
    EXPECT_EQ(on.foreground_table()[8 + i], on.background_table()[8 + i]);
  }
  // Entries 0 to 7: black, red, green, yellow, blue, magenta, cyan, white at full intensity.
  const protocol::Rgb basic[8] = {{0, 0, 0},   {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                  {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(basic[i], on.foreground_table()[i]) << i;
    EXPECT_EQ(basic[i], on.background_table()[i]) << i;
  }
  EXPECT_EQ((protocol::Rgb{41, 0, 0}), on.background());
  EXPECT_EQ((protocol::Rgb{56, 0, 0}), on.edge_highlight());
  EXPECT_EQ((protocol::Rgb{109, 0, 0}), on.edge_shadow());
  EXPECT_EQ(0xFF290000u, on.argb(opt::kBackground));

  record[opt::kModelSwitch] = 0;
  normalise_screen_options(record, system);
  const ColourModel off = apply_colour_model(record, {}, system);
  ASSERT_FALSE(off.on());
  const SystemColour system_entries[8] = {
      S::kWindow,         S::kWindowText,          S::kHighlight,  S::kHighlightText,
      S::kInactiveBorder, S::kInactiveCaptionText, S::kButtonText, S::kButtonFace};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(system[system_entries[i]], off.foreground_table()[8 + i]) << 8 + i;
    EXPECT_EQ(system[system_entries[i]], off.background_table()[8 + i]) << 8 + i;
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(basic[i], off.foreground_table()[i]) << i;
  EXPECT_EQ(system[S::kButtonHighlight], off.edge_highlight());
  EXPECT_EQ(system[S::kDarkShadow3d], off.edge_dark_shadow());
  EXPECT_EQ(system[S::kMenu], off.menu_background());
}

TEST(ColourModelTest, DerivedValues) {
  const SystemColourTable system = distinct_system_colours();
  ScreenOptions record = model_on_record();
  record[opt::kIconSize] = 32;
  record[opt::kFrameType] = 'b';
  record[opt::kBorderWidth] = 4;
  record[opt::kScaledFrameValue] = 10;
  record[opt::kFrameValue122] = 7;
  record[opt::kFrameValues138 + 14] = 9;
  record[opt::kFont3] = 2;
  record[opt::kFont3 + 1] = 12;
  record[opt::kShadeMargin] = ' ';
  normalise_screen_options(record, system);

  ModelContext context;
  context.screen_kind = kScreenText;
  context.host_version = kVersionModelFrameValues;
  context.font_scale_percent = 150;
  context.font_factor = 50;
  const ColourModel model = apply_colour_model(record, context, system);
  EXPECT_EQ(48, model.icon_size());  // 32 × 150 %
  EXPECT_EQ(kOwnFrame, model.frame_type());
  EXPECT_EQ(4, model.border_width());
  EXPECT_EQ(5, model.frame_value(opt::kScaledFrameValue));  // 10 × 50 %
  EXPECT_EQ(7, model.frame_value(opt::kFrameValue122));
  EXPECT_EQ(9, model.frame_value(opt::kFrameValues138 + 14));
  EXPECT_EQ((ModelFont{6, 100}), model.font(0));
  EXPECT_EQ((ModelFont{2, 120}), model.font(2));
  EXPECT_EQ(120 * 150 * 5 / 400, model.scaled_font_size(2));
  // A blank shade margin without steps becomes 5, in the record and in the shades.
  EXPECT_EQ(5, record[opt::kShadeMargin]);
  EXPECT_EQ(compute_shades(model.button_face(), 0, 0, 0, 5), model.shades(0));
  EXPECT_EQ(compute_shades(model.colour(opt::kHighlightedFace), 0, 0, 0, 5), model.shades(1));
  EXPECT_EQ(compute_shades(model.colour(opt::kInactiveFace), 0, 0, 0, 5), model.shades(2));

  // Older hosts: icons of 16 pixels, no late frame values; another kind keeps the standard
  // frame; a margin with shade steps stays blank.
  record[opt::kShadeMargin] = ' ';
  record[opt::kShadeStep2] = 1;
  context.host_version = kVersionModelFrameValues - 1;
  context.screen_kind = kScreenIconStyle;
  const ColourModel old = apply_colour_model(record, context, system);
  EXPECT_EQ(24, old.icon_size());
  EXPECT_EQ(kStandardFrame, old.frame_type());
  EXPECT_EQ(0, old.frame_value(opt::kFrameValue122));
  EXPECT_EQ(0, old.frame_value(opt::kFrameValues138 + 14));
  EXPECT_EQ(' ', record[opt::kShadeMargin]);
  // Icon sizes below 16 count as 16.
  record[opt::kIconSize] = 10;
  context.host_version = kVersionModelFrameValues;
  EXPECT_EQ(24, apply_colour_model(record, context, system).icon_size());
}

TEST(ColourModelTest, SystemColoursTheModelSets) {
  const SystemColourTable system = distinct_system_colours();
  ScreenOptions record = model_on_record();
  normalise_screen_options(record, system);
  const SystemColourTable set =
      apply_colour_model(record, {}, system).system_colours_to_set(system);
  EXPECT_EQ((protocol::Rgb{101, 0, 0}), set[S::kWindow]);
  EXPECT_EQ((protocol::Rgb{19, 0x11, 0x22}), set[S::kHighlight]);
  EXPECT_EQ((protocol::Rgb{13, 0x11, 0x22}), set[S::kInactiveBorder]);
  EXPECT_EQ((protocol::Rgb{28, 0x11, 0x22}), set[S::kScrollBar]);
  EXPECT_EQ((protocol::Rgb{106, 0, 0}), set[S::kLight3d]);
  EXPECT_EQ(system[S::kGrayText], set[S::kGrayText]);  // not one of the fifteen
}

TEST(ColourModelTest, SystemColoursComeFromThePalette) {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
  palette.setColor(QPalette::Active, QPalette::Button, QColor(4, 5, 6));
  palette.setColor(QPalette::Inactive, QPalette::Mid, QColor(7, 8, 9));
  const SystemColourTable table = system_colours_from(palette);
  EXPECT_EQ((protocol::Rgb{1, 2, 3}), table[S::kWindow]);
  EXPECT_EQ((protocol::Rgb{4, 5, 6}), table[S::kButtonFace]);
  EXPECT_EQ((protocol::Rgb{7, 8, 9}), table[S::kInactiveBorder]);
}

TEST(ColourModelTest, FontScaleFromTheSetting) {
  EXPECT_EQ(100, font_scale_for(0, 96));
  EXPECT_EQ(120, font_scale_for(120, 96));
  EXPECT_EQ(2800 / (2540 / 96), font_scale_for(1, 96));
  EXPECT_EQ(100, font_scale_for(1, 0));
}

// A text screen draws the reset attribute's background in the record's background colour
// with the model on, and in the system's button face with it off.
class ColourModelViewTest : public SessionTest {
 protected:
  static int define_text_screen(HostPeer& peer, const ScreenOptions& options) {
    protocol::ScreenDefinition screen;
    screen.mode_and_style = 1;
    screen.title = "Farben";
    screen.width = 20;
    screen.height = 4;
    screen.screen_options = options;
    const auto out =
        protocol::build_screen_definition(screen, 0x070305, net::KWD_WIN, net::KWK_WINIT);
    return peer.send(out.service, out.type, out.payload);
  }
  static TextScreenWidget* screen(const std::vector<std::int32_t>& ids) {
    QWidget* content = registered_window(ids[0]);
    return content ? content->findChild<TextScreenWidget*>() : nullptr;
  }
  // The colour of the middle of the blank cell at column 3, row 2.
  QColor blank_cell_colour(int pid, const ScreenOptions& options) {
    HostPeer& peer = start_program();
    const auto ids = init_program(peer, pid, "farben");
    EXPECT_GT(define_text_screen(peer, options), 0);
    // The screen is there once its widget has the grid's size: the cell lies inside it.
    const auto at = [](const TextScreenWidget& text) {
      return QPoint(3 * text.cell_width() + text.cell_width() / 2,
                    2 * text.cell_height() + text.cell_height() / 2);
    };
    TextScreenWidget* text = nullptr;
    EXPECT_TRUE(wait_until([&] {
      text = screen(ids);
      return text != nullptr && text->rect().contains(at(*text));
    }));
    if (!text) return {};
    return text->grab().toImage().pixelColor(at(*text));
  }
};

TEST_F(ColourModelViewTest, ResetBackgroundInModelOrSystemColour) {
  ScreenOptions options = protocol::default_screen_options();
  protocol::set_option_colour(options, opt::kBackground, {10, 200, 30});
  protocol::set_option_colour(options, opt::kTextColour, {250, 250, 0});
  options[opt::kModelSwitch] = 1;
  EXPECT_EQ(QColor(10, 200, 30), blank_cell_colour(40, options));

  options[opt::kModelSwitch] = 0;
  const protocol::Rgb face = system_colours()[SystemColour::kButtonFace];
  ASSERT_NE((protocol::Rgb{10, 200, 30}), face);
  EXPECT_EQ(QColor(face.red, face.green, face.blue), blank_cell_colour(41, options));
}

}  // namespace
}  // namespace kovw::session::test
