#include "print/print_style.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <vector>

namespace kovw::print {

namespace {

Rgb rgb(std::int64_t r, std::int64_t g, std::int64_t b) {
  const auto c = [](std::int64_t v) {
    return static_cast<Rgb>(std::clamp<std::int64_t>(v, 0, 255));
  };
  return c(r) << 16 | c(g) << 8 | c(b);
}

// Shade levels of the solid patterns 0 to 15.
constexpr std::array<int, 16> kShades{245, 235, 225, 0,   230, 200, 170, 130,
                                      100, 255, 205, 175, 145, 115, 85,  0};

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  return text;
}

}  // namespace

Rgb colour_from(const EscapeSequence& s) {
  if (s.count >= 3) return rgb(s[0].integer(), s[1].integer(), s[2].integer());
  const std::int64_t code = s[0].integer();
  if (code >= 0 && code <= 7) {
    return ((code & 1) ? 0xFF0000u : 0u) | ((code & 2) ? 0x00FF00u : 0u) |
           ((code & 4) ? 0x0000FFu : 0u);
  }
  const Rgb grey = static_cast<Rgb>(code & 0xFF);
  return grey << 16 | grey << 8 | grey;
}

std::optional<BrushSpec> fill_pattern(bool absent, std::int64_t pattern, Rgb fill) {
  BrushSpec brush;
  if (absent || pattern == -1) {
    brush.kind = BrushKind::None;
    return brush;
  }
  if (pattern >= 0 && pattern <= 15) {
    if (pattern == 9 && fill == kWhite) {
      brush.kind = BrushKind::None;
      return brush;
    }
    const Rgb level = static_cast<Rgb>(kShades[static_cast<std::size_t>(pattern)]);
    brush.kind = BrushKind::Solid;
    if (fill == kBlack) {
      brush.colour = level << 16 | level << 8 | level;
    } else {
      const auto scale = [level](Rgb component) { return component * level / 255; };
      brush.colour =
          scale(fill >> 16 & 0xFF) << 16 | scale(fill >> 8 & 0xFF) << 8 | scale(fill & 0xFF);
    }
    return brush;
  }
  if (pattern >= 16 && pattern <= 21) {
    brush.kind = BrushKind::Hatch;
    brush.hatch = static_cast<Hatch>(pattern - 16);
    brush.colour = fill;
    return brush;
  }
  if (pattern == 22) {
    brush.kind = BrushKind::Solid;
    brush.colour = kWhite;
    return brush;
  }
  return std::nullopt;
}

PenStyle pen_style(std::int64_t style) {
  if (style > 5) style %= 5;
  switch (style) {
    case 1:
      return PenStyle::Solid;
    case 2:
      return PenStyle::Dash;
    case 3:
      return PenStyle::Dot;
    case 4:
      return PenStyle::DashDot;
    case 5:
      return PenStyle::DashDotDot;
    default:
      return PenStyle::None;
  }
}

FaceChoice face_from_number(std::int64_t number) {
  switch (number) {
    case 0:
      return {"Courier New", 0, false};
    case 2:
      return {"Arial", 0, false};
    case 3:
      return {"Symbol", 0, true};
    case 4:
      return {"Wingdings", 0, true};
    default:
      return {"Times New Roman", 0, false};
  }
}

FaceChoice face_from_name(const std::string& name) {
  FaceChoice choice;
  std::istringstream words(name);
  std::vector<std::string> kept;
  std::string word;
  while (words >> word) {
    if (!kept.empty()) {
      const std::string w = lower(word);
      if (w == "fett" || w == "bold") {
        choice.add_flags |= kFontBold;
        continue;
      }
      if (w == "kursiv" || w == "italic" || w == "oblique") {
        choice.add_flags |= kFontItalic;
        continue;
      }
      if (w == "symbol") {
        choice.symbol = true;
        continue;
      }
    }
    kept.push_back(word);
  }
  for (const std::string& w : kept) {
    if (!choice.face.empty()) choice.face += ' ';
    choice.face += w;
  }
  return choice;
}

bool symbol_face(const std::string& face) {
  return lower(face) == "symbol";
}

char16_t symbol_to_wide(std::uint8_t byte) {
  // 0x20 to 0x7E: the ASCII signs with Greek letters and mathematical signs in their places.
  static constexpr char16_t kLow[95] = {
      0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217,
      0x002B, 0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035,
      0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245,
      0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A,
      0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2,
      0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1,
      0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB,
      0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,
      0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C};
  // 0xA0 to 0xFE.
  static constexpr char16_t kHigh[95] = {
      0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660,
      0x2194, 0x2190, 0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D,
      0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135,
      0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284,
      0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A,
      0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329,
      0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7,
      0x23A8, 0x23A9, 0x23AA, 0xF8FF, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
      0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD};
  if (byte >= 0x20 && byte <= 0x7E) return kLow[byte - 0x20];
  if (byte >= 0xA0 && byte <= 0xFE) return kHigh[byte - 0xA0];
  return byte;
}

}  // namespace kovw::print
