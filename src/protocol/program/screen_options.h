#pragma once
// The 224-byte screen option record of a screen definition (and of a graphics window's display
// record): the program's colour model. A colour is three bytes red, green, blue at consecutive
// offsets; single bytes are option values. Bytes without a name here are reserved and kept as
// sent.

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/program/screen_definition.h"

namespace kovw::protocol {

using ScreenOptions = std::array<std::uint8_t, kScreenOptionRecordSize>;

// A colour of the record.
struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
  // 0xAARRGGBB with alpha 255.
  constexpr std::uint32_t argb() const {
    return 0xFF000000u | (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
  }
};

namespace screen_option {

// Fonts and sizes (single bytes; font numbers index the program's table of 20 font names).
inline constexpr std::size_t kFontNumber = 0;  // main model font (0 means 6)
inline constexpr std::size_t kFontSize = 1;    // main model font (0 means 10)
inline constexpr std::size_t kIconSize = 2;    // pixels
inline constexpr std::size_t kFont2 = 62;      // number, then size
inline constexpr std::size_t kFont3 = 64;
inline constexpr std::size_t kFont4 = 89;
inline constexpr std::size_t kDefaultFont = 95;  // default pair for fonts 2 to 7
inline constexpr std::size_t kFont5 = 123;
inline constexpr std::size_t kFont6 = 125;
inline constexpr std::size_t kFont7 = 174;

// Colours (three bytes each).
inline constexpr std::size_t kButtonText = 4;
inline constexpr std::size_t kInactiveText = 7;
inline constexpr std::size_t kButtonFace = 10;    // base of the first shade set
inline constexpr std::size_t kInactiveFace = 13;  // base of the third shade set
inline constexpr std::size_t kHighlightedText = 16;
inline constexpr std::size_t kHighlightedFace = 19;  // base of the second shade set
inline constexpr std::size_t kMenuText = 25;
inline constexpr std::size_t kMenuBackground = 28;
inline constexpr std::size_t kModelColour31 = 31;
inline constexpr std::size_t kModelColour34 = 34;
inline constexpr std::size_t kBackground = 41;  // program windows; text screen colour 15
inline constexpr std::size_t kTextColour = 44;  // text screen colour 14
inline constexpr std::size_t kWindowText = 47;  // text screen colour 9
inline constexpr std::size_t kHighlight = 50;   // text screen colour 10
inline constexpr std::size_t kModelColour53 = 53;
inline constexpr std::size_t kEdgeHighlight = 56;
inline constexpr std::size_t kEdgeDarkShadow = 59;
inline constexpr std::size_t kMenuText2 = 66;
inline constexpr std::size_t kMenuBackground2 = 71;
inline constexpr std::size_t kModelColour74 = 74;
inline constexpr std::size_t kModelColour77 = 77;
inline constexpr std::size_t kHighlightText = 80;  // text screen colour 11
inline constexpr std::size_t kModelColour83 = 83;
inline constexpr std::size_t kModelColour86 = 86;
inline constexpr std::size_t kMenuBackground3 = 91;
inline constexpr std::size_t kWindowBackground = 101;  // text screen colour 8
inline constexpr std::size_t kEdgeLight = 106;         // text screen colour 12
inline constexpr std::size_t kEdgeShadow = 109;
inline constexpr std::size_t kCaption = 112;  // text screen colour 13
inline constexpr std::size_t kMenuBackground4 = 115;
inline constexpr std::size_t kContextMenuText = 131;
inline constexpr std::size_t kContextMenuBackground = 134;
inline constexpr std::size_t kModelColour165 = 165;
inline constexpr std::size_t kModelColour168 = 168;
inline constexpr std::size_t kModelColour171 = 171;
inline constexpr std::size_t kOwnFrameCaptionText = 180;
inline constexpr std::size_t kModelColour183 = 183;
inline constexpr std::size_t kModelColour190 = 190;
inline constexpr std::size_t kModelColour193 = 193;

// Switches and frame values (single bytes).
inline constexpr std::size_t kFrameOption = 39;      // see kFrameOptions
inline constexpr std::size_t kFrameOptions = 99;     // two bytes, 99 and 100
inline constexpr std::size_t kModelSwitch = 105;     // low 4 bits; 0 = model off
inline constexpr std::size_t kFrameValue122 = 122;   // from host library 0x060A0D
inline constexpr std::size_t kFrameValues138 = 138;  // 15 bytes, from host library 0x060A0D
inline constexpr std::size_t kFrameValues138Count = 15;
inline constexpr std::size_t kShadeMargin = 153;
inline constexpr std::size_t kFrameValue176 = 176;
inline constexpr std::size_t kFrameValue177 = 177;
inline constexpr std::size_t kBorderWidth = 178;  // own frame, pixels
inline constexpr std::size_t kFrameValue179 = 179;
inline constexpr std::size_t kFrameValue186 = 186;
inline constexpr std::size_t kFrameType = 198;  // 'b': own frame
inline constexpr std::size_t kFrameValue199 = 199;
inline constexpr std::size_t kFrameValue200 = 200;
inline constexpr std::size_t kScaledFrameValue = 201;  // scaled by the font factor
inline constexpr std::size_t kFrameValue202 = 202;
inline constexpr std::size_t kFrameValue203 = 203;
inline constexpr std::size_t kShadeKind = 204;
inline constexpr std::size_t kShadeStep1 = 205;  // 0 means 30
inline constexpr std::size_t kShadeStep2 = 206;  // 0 means 20
inline constexpr std::size_t kShadeFlag = 207;   // tested only with kShadeMargin

inline constexpr std::uint8_t kOwnFrame = 'b';
inline constexpr std::uint8_t kModelSwitchMask = 0x0F;

}  // namespace screen_option

// The colour at `offset` (offset + 2 must lie inside the record; the offsets above do).
constexpr Rgb option_colour(const ScreenOptions& record, std::size_t offset) {
  return {record[offset], record[offset + 1], record[offset + 2]};
}
constexpr void set_option_colour(ScreenOptions& record, std::size_t offset, Rgb colour) {
  record[offset] = colour.red;
  record[offset + 1] = colour.green;
  record[offset + 2] = colour.blue;
}

}  // namespace kovw::protocol
