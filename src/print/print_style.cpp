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

}  // namespace kovw::print
