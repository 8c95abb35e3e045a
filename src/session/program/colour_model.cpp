#include "session/program/colour_model.h"

#include <algorithm>
#include <cmath>

namespace kovw::session {

namespace {

namespace opt = protocol::screen_option;
using S = SystemColour;

struct SystemSource {
  std::size_t offset;
  SystemColour colour;
};

// The colours that follow the system while the model is off, and the system colour of each.
constexpr SystemSource kModelOffColours[] = {
    {opt::kButtonText, S::kButtonText},
    {opt::kInactiveText, S::kGrayText},
    {opt::kButtonFace, S::kButtonFace},
    {opt::kInactiveFace, S::kButtonFace},
    {opt::kHighlightedText, S::kButtonText},
    {opt::kHighlightedFace, S::kButtonFace},
    {opt::kMenuText, S::kMenuText},
    {opt::kMenuBackground, S::kMenu},
    {opt::kModelColour31, S::kButtonText},
    {opt::kModelColour34, S::kButtonFace},
    {opt::kBackground, S::kButtonFace},
    {opt::kTextColour, S::kButtonText},
    {opt::kWindowText, S::kWindowText},
    {opt::kHighlight, S::kHighlight},
    {opt::kModelColour53, S::kLight3d},
    {opt::kEdgeHighlight, S::kButtonHighlight},
    {opt::kEdgeDarkShadow, S::kDarkShadow3d},
    {opt::kMenuText2, S::kMenuText},
    {opt::kMenuBackground2, S::kMenu},
    {opt::kModelColour74, S::kLight3d},
    {opt::kModelColour77, S::kButtonShadow},
    {opt::kHighlightText, S::kHighlightText},
    {opt::kModelColour83, S::kGrayText},
    {opt::kModelColour86, S::kButtonFace},
    {opt::kMenuBackground3, S::kMenu},
    {opt::kWindowBackground, S::kWindow},
    {opt::kEdgeLight, S::kLight3d},
    {opt::kEdgeShadow, S::kButtonShadow},
    {opt::kCaption, S::kActiveCaption},
    {opt::kMenuBackground4, S::kMenu},
    {opt::kContextMenuText, S::kMenuText},
    {opt::kContextMenuBackground, S::kMenu},
    {opt::kModelColour168, S::kCaptionText},
    {opt::kModelColour171, S::kTooltipText},
    {opt::kOwnFrameCaptionText, S::kCaptionText},
    {opt::kModelColour183, S::kTooltipText},
    {opt::kModelColour190, S::kInactiveCaption},
    {opt::kModelColour193, S::kActiveCaption},
};

// The system colours the model sets from its colours (with the own frame).
constexpr SystemSource kSetSystemColours[] = {
    {opt::kWindowBackground, S::kWindow},       {opt::kWindowText, S::kWindowText},
    {opt::kHighlightedFace, S::kHighlight},     {opt::kHighlightedText, S::kHighlightText},
    {opt::kInactiveFace, S::kInactiveBorder},   {opt::kInactiveText, S::kInactiveCaptionText},
    {opt::kButtonFace, S::kButtonFace},         {opt::kButtonText, S::kButtonText},
    {opt::kEdgeHighlight, S::kButtonHighlight}, {opt::kEdgeDarkShadow, S::kDarkShadow3d},
    {opt::kEdgeShadow, S::kButtonShadow},       {opt::kEdgeLight, S::kLight3d},
    {opt::kMenuBackground, S::kMenu},           {opt::kMenuText, S::kMenuText},
    {opt::kMenuBackground, S::kScrollBar},
};

constexpr std::uint8_t kDefaultFontNumber = 6;
constexpr std::uint8_t kDefaultFontSize = 10;
constexpr std::uint8_t kBlank = ' ';
constexpr int kFontNumberLimit = 32;  // numbers from 32 take the default pair
constexpr int kSmallSizeLimit = 25;   // smaller sizes are in points, larger in tenths
constexpr int kFallbackDefaultSize = 100;
constexpr std::uint8_t kBlankShadeMargin = 5;

constexpr std::size_t kFontOffsets[kModelFontCount] = {
    opt::kFontNumber, opt::kFont2, opt::kFont3, opt::kFont4, opt::kFont5, opt::kFont6, opt::kFont7,
};

// Black, red, green, yellow, blue, magenta, cyan and white, each at full intensity.
const std::array<Rgb, 8> kBasicColours{{
    {0, 0, 0},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

int size_in_tenths(int size) {
  return size < kSmallSizeLimit ? size * 10 : size;
}

ModelFont default_font(const ScreenOptions& record) {
  const int number = record[opt::kDefaultFont];
  const int size = record[opt::kDefaultFont + 1];
  if (number >= kFontNumberLimit || size == 0) return {kDefaultFontNumber, kFallbackDefaultSize};
  return {number, size_in_tenths(size)};
}

}  // namespace

void normalise_screen_options(ScreenOptions& record, const SystemColourTable& system) {
  record[opt::kModelSwitch] &= opt::kModelSwitchMask;
  if (record[opt::kFontNumber] == 0) record[opt::kFontNumber] = kDefaultFontNumber;
  if (record[opt::kFontSize] == 0) record[opt::kFontSize] = kDefaultFontSize;
  if (record[opt::kModelSwitch] != 0) return;
  if (record[opt::kFrameOption] > 0) {
    record[opt::kFrameOption] = 2;
    record[opt::kFrameOptions] = 2;
    record[opt::kFrameOptions + 1] = 3;
  }
  for (const SystemSource& source : kModelOffColours)
    protocol::set_option_colour(record, source.offset, system[source.colour]);
}

ModelFont model_font(const ScreenOptions& record, std::size_t offset) {
  const int number = record[offset];
  const std::uint8_t size = record[offset + 1];
  if (number >= kFontNumberLimit) return default_font(record);
  // A blank size (or none at all) takes the default size.
  if (size == kBlank || size == 0) return {number, default_font(record).size};
  return {number, size_in_tenths(size)};
}

int ColourModel::scaled_font_size(int index) const {
  return font(index).size * font_scale_percent_ * 5 / 400;
}

int ColourModel::frame_value(std::size_t offset) const {
  const bool late =
      offset == opt::kFrameValue122 ||
      (offset >= opt::kFrameValues138 && offset < opt::kFrameValues138 + opt::kFrameValues138Count);
  if (late && !frame_values_sent_) return 0;
  if (offset == opt::kScaledFrameValue) return record_[offset] * font_factor_ / 100;
  return record_[offset];
}

SystemColourTable ColourModel::system_colours_to_set(const SystemColourTable& current) const {
  SystemColourTable table = current;
  for (const SystemSource& source : kSetSystemColours) table[source.colour] = colour(source.offset);
  return table;
}

ColourModel apply_colour_model(ScreenOptions& record, const ModelContext& context,
                               const SystemColourTable& system) {
  ColourModel model;
  model.font_factor_ = context.font_factor > 0 ? context.font_factor : 100;
  model.font_scale_percent_ = context.font_scale_percent > 0 ? context.font_scale_percent : 100;
  // A blank shade margin without shade steps is the old default margin.
  if (record[opt::kShadeMargin] == kBlank && record[opt::kShadeStep1] == 0 &&
      record[opt::kShadeStep2] == 0 && record[opt::kShadeFlag] == 0) {
    record[opt::kShadeMargin] = kBlankShadeMargin;
  }
  model.record_ = record;
  model.on_ = (record[opt::kModelSwitch] & opt::kModelSwitchMask) != 0;
  model.frame_values_sent_ = context.host_version >= kVersionModelFrameValues;

  const auto at = [&record](std::size_t offset) { return protocol::option_colour(record, offset); };
  std::array<Rgb, 6> screen_entries;  // text screen entries 8 to 13
  if (model.on_) {
    model.window_background_ = at(opt::kWindowBackground);
    model.window_text_ = at(opt::kWindowText);
    model.background_ = at(opt::kBackground);
    model.text_ = at(opt::kTextColour);
    model.edge_highlight_ = at(opt::kEdgeHighlight);
    model.edge_dark_shadow_ = at(opt::kEdgeDarkShadow);
    model.edge_light_ = at(opt::kEdgeLight);
    model.edge_shadow_ = at(opt::kEdgeShadow);
    screen_entries = {at(opt::kWindowBackground), at(opt::kWindowText), at(opt::kHighlight),
                      at(opt::kHighlightText),    at(opt::kEdgeLight),  at(opt::kCaption)};
  } else {
    model.window_background_ = system[S::kWindow];
    model.window_text_ = system[S::kWindowText];
    model.background_ = system[S::kButtonFace];
    model.text_ = system[S::kButtonText];
    model.edge_highlight_ = system[S::kButtonHighlight];
    model.edge_dark_shadow_ = system[S::kDarkShadow3d];
    model.edge_light_ = system[S::kLight3d];
    model.edge_shadow_ = system[S::kButtonShadow];
    screen_entries = {system[S::kWindow],         system[S::kWindowText],
                      system[S::kHighlight],      system[S::kHighlightText],
                      system[S::kInactiveBorder], system[S::kInactiveCaptionText]};
  }
  std::copy(kBasicColours.begin(), kBasicColours.end(), model.foreground_.begin());
  std::copy(screen_entries.begin(), screen_entries.end(), model.foreground_.begin() + 8);
  model.foreground_[14] = model.text_;
  model.foreground_[15] = model.background_;
  model.background_table_ = model.foreground_;  // both tables hold the same colours

  const std::uint8_t kind = record[opt::kShadeKind];
  const std::size_t bases[3] = {opt::kButtonFace, opt::kHighlightedFace, opt::kInactiveFace};
  for (std::size_t i = 0; i < 3; ++i) {
    model.shades_[i] = compute_shades(at(bases[i]), kind, record[opt::kShadeStep1],
                                      record[opt::kShadeStep2], record[opt::kShadeMargin]);
  }
  for (std::size_t i = 0; i < kModelFontCount; ++i)
    model.fonts_[i] = model_font(record, kFontOffsets[i]);

  int icon = record[opt::kIconSize];
  if (icon < kMinIconSize || context.host_version < kVersionModelFrameValues) icon = kMinIconSize;
  model.icon_size_ = icon * model.font_scale_percent_ / 100;

  const bool framed_kind = context.screen_kind >= 1 && context.screen_kind <= 4;
  model.frame_type_ =
      record[opt::kFrameType] == opt::kOwnFrame && framed_kind ? kOwnFrame : kStandardFrame;
  return model;
}

}  // namespace kovw::session
