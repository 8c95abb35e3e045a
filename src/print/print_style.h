#pragma once
// The print language's colours, fill patterns, pens and font faces as the commands give them.

#include <optional>
#include <string>

#include "print/escape_sequence.h"
#include "print/print_device.h"

namespace kovw::print {

inline constexpr Rgb kDefaultHighlight = 0xEBEBEB;

// Commands c, g and h: three parameters are red, green and blue (0 to 255); with fewer, p1 0
// to 7 is a colour code (bit 0 red, bit 1 green, bit 2 blue at full intensity) and any other
// p1 the grey of its low byte.
Rgb colour_from(const EscapeSequence& sequence);

// Command v: the brush for pattern `pattern` with fill colour `fill`; std::nullopt when the
// value leaves the pattern as it is. `absent` is the pattern without parameter (none).
std::optional<BrushSpec> fill_pattern(bool absent, std::int64_t pattern, Rgb fill);

// Command w: style 1 solid, 2 dashed, 3 dotted, 4 dash-dot, 5 dash-dot-dot, 0 none; above 5
// counts modulo 5.
PenStyle pen_style(std::int64_t style);

// Command F, p2: a number names a face (0 Courier New, 2 Arial, 3 Symbol, 4 Wingdings, any
// other Times New Roman); a quoted name is taken with the words after its first one that
// name a weight, a slant or the symbol character set ("fett", "bold", "kursiv", "italic",
// "oblique", "symbol", any case) removed and turned into flags.
struct FaceChoice {
  std::string face;
  int add_flags = 0;  // kFontBold, kFontItalic
  bool symbol = false;
};
FaceChoice face_from_number(std::int64_t number);
FaceChoice face_from_name(const std::string& name);

// True for the face "Symbol" (any case), whose bytes are letters and signs of the symbol
// character set (0x61 alpha, 0xA5 infinity, ...), not of the ANSI code page.
bool symbol_face(const std::string& face);
// The character of a byte in the symbol character set.
char16_t symbol_to_wide(std::uint8_t byte);

}  // namespace kovw::print
