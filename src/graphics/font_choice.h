#pragma once
// Which font a font request asks for, before any font is made: the face by font number, and
// the size through the window's zoom and scale, the legacy sizes, the character count and the
// scaling to the device. Plain C++; measuring (for the character count) is handed in.
//
// Sizes: the host's size is in points (tenths with option 0x40) and is carried in tenths of a
// point; the device size is the font's em height in device pixels. Fonts grow with the window:
// a drawing area 1925/150 inches wide at its device's resolution shows a font at its nominal
// size (option 0x08, or a host size below 2, uses a fixed factor instead).

#include <functional>
#include <optional>
#include <string>

#include "graphics/font_names.h"

namespace kovw::graphics {

// Font options.
inline constexpr int kFontOptionCharCount = 0x04;  // the size is a count of average characters
inline constexpr int kFontOptionFixedScale = 0x08;
inline constexpr int kFontOptionTenths = 0x40;  // the size is in tenths of a point already

// Font numbers of the settings' fonts.
inline constexpr int kFixedPitchFont = 98;
inline constexpr int kProportionalFont = 99;

struct FontRequest {
  int number = 0;
  int size = 0;
  int attribute = 0;  // the escapement of rotated texts, tenths of a degree
  int options = 0;
};

// What the window and the settings contribute.
struct FontWindowFacts {
  std::string fixed_face = "Courier New";
  int fixed_tenths = 160;
  std::string proportional_face = "Arial";
  int proportional_tenths = 120;
  int scale_percent = 100;        // the program window's scale (0 counts as 100)
  int zoom_percent = 0;           // the window options' font zoom when in force, else 0
  bool takes_host_sizes = true;   // window flag: font sizes come from the host
  bool print_definition = false;  // the window was defined for printing (KWK_PDIGRA)
  bool enlarged_fonts = false;    // window flag of screen windows: fonts 1.23 times larger
  int device_width = 1;           // of the world mapping, device pixels
  double device_dpi = 96;         // vertical resolution of the device
};

struct FontChoice {
  std::string face;  // host text; empty for an unset table entry
  int number = 0;    // 0 for a legacy size
  int tenths = 0;    // the size in tenths of a point, before device scaling
  double pixel_size = 0;
  int attribute = 0;
  bool count_below_one = false;  // option 0x04 with a count below 1 (100 was used)
};

// The average character width in device pixels of `face` at `pixel_size`.
using AverageWidthOf = std::function<double(const std::string& face, double pixel_size)>;

// Steps of the choice; nothing for font numbers without a font (20-97 and above 99).
std::optional<FontChoice> choose_font(const FontRequest& request, const FontWindowFacts& facts,
                                      const FontNameTable& names,
                                      const AverageWidthOf& average_width);

// The legacy size of a font number: 100, 200, ... 600 tenths in turn from number 1 (number 0
// continues the turn backwards: 600).
int legacy_tenths(int number);

}  // namespace kovw::graphics
