#pragma once
// What the print-language interpreter draws on: a page-oriented device in pixels. The
// interpreter is plain C++ and knows nothing of the drawing library; the printer and PDF
// targets implement this interface with QPainter (painter_print_device.h), tests and the fuzz
// target with recorders.
//
// All coordinates are device pixels relative to the printable area's top-left corner.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kovw::print {

using Rgb = std::uint32_t;  // 0xRRGGBB
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kWhite = 0xFFFFFF;

struct PageGeometry {
  int offset_x = 0, offset_y = 0;                 // physical offsets of the printable area
  int physical_width = 0, physical_height = 0;    // the whole sheet
  int printable_width = 0, printable_height = 0;  // the printable area
  int dpi_x = 300, dpi_y = 300;                   // resolution
};

// Paper size codes of the page settings.
enum class PaperSize : std::uint8_t { A4, A0, A1, A2, A3, A5, Custom };

struct PageSettings {
  int orientation = 1;  // 1 portrait, 2 landscape
  int duplex = 1;       // 1 simplex, 2 long edge, 3 short edge
  PaperSize paper = PaperSize::A4;
  int custom_width = 0, custom_length = 0;  // tenths of a millimetre (PaperSize::Custom)
  int paper_source = 0;        // source number: 1 upper ... 7 automatic, 8 tractor ... (0 none)
  bool change_source = false;  // the source is to be set

  bool operator==(const PageSettings&) const = default;
};

// Font flags of the print language.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;
inline constexpr int kFontUnderline = 4;
inline constexpr int kFontStrikeOut = 8;
inline constexpr int kFontDoubleWidth = 16;
inline constexpr int kFontRotated = 32;
inline constexpr int kFontHighlight = 64;
inline constexpr int kFontInverse = 128;
inline constexpr int kFontDoubleHeight = 256;
inline constexpr int kFontDoubleWidth2 = 512;

struct FontSpec {
  std::string face = "Courier New";  // the name the host gave (without weight words)
  int size_tenths = 100;             // tenths of a point
  int flags = 0;                     // kFont* (highlight and inverse do not change the font)
  bool light = false;                // not bold: light weight (300) instead of normal
  bool symbol = false;               // the symbol character set

  bool operator==(const FontSpec&) const = default;
};

struct FontMetrics {
  int ascent = 0;
  int descent = 0;
  int average_width = 0;  // average character width
  bool fixed_pitch = false;
};

enum class PenStyle : std::uint8_t { None, Solid, Dash, Dot, DashDot, DashDotDot };

struct PenSpec {
  PenStyle style = PenStyle::Solid;
  int width = 0;  // pixels; 0 the thinnest line
  Rgb colour = kBlack;
  bool operator==(const PenSpec&) const = default;
};

enum class BrushKind : std::uint8_t { None, Solid, Hatch };
enum class Hatch : std::uint8_t {
  Vertical,
  Horizontal,
  DiagonalCross,
  BackwardDiagonal,
  ForwardDiagonal,
  Cross
};

struct BrushSpec {
  BrushKind kind = BrushKind::Solid;
  Hatch hatch = Hatch::Vertical;
  Rgb colour = kBlack;
  bool operator==(const BrushSpec&) const = default;
};

struct TextRun {
  std::u16string_view text;
  int x = 0, y = 0;  // the start of the baseline
  Rgb colour = kBlack;
  bool opaque = false;  // fill the run's box with `background` first
  Rgb background = kWhite;
  int cell_advance = 0;  // > 0: each character in a cell of this width
};

enum class ArcKind : std::uint8_t { Circle, Arc, Pie };

// A finished raster bitmap, rows from the top.
struct RasterImage {
  int width = 0, height = 0;
  int bits_per_pixel = 1;                // 1, 8 or 24 (blue, green, red)
  int row_length = 0;                    // bytes per row, a multiple of 4
  std::span<const std::uint8_t> pixels;  // height × row_length bytes (fewer: the rest is 0)
  std::span<const Rgb> palette;          // 1 and 8 bits per pixel
};

class PrintDevice {
 public:
  virtual ~PrintDevice() = default;

  // The geometry of the page as it is now set up (before the first page too).
  virtual PageGeometry geometry() = 0;
  // The device's default page settings.
  virtual PageSettings default_settings() = 0;
  // The source number of the device's paper source at `index` of its list, 0 when the list
  // has no such entry.
  virtual int paper_source_at(int index) = 0;
  // Makes the device use `settings` for the following pages where it supports them. Returns 0,
  // or a system error when the device refused them.
  virtual int apply_settings(const PageSettings& settings) = 0;

  // Each returns 0 or a system error (never 0 on failure).
  virtual int start_document() = 0;
  virtual int start_page() = 0;
  virtual int end_page() = 0;
  // Ends the document; `abort` discards it.
  virtual void end_document(bool abort) = 0;

  // Fonts: selects the font for the following texts and returns its metrics.
  virtual FontMetrics select_font(const FontSpec& font) = 0;
  // The width of `text` in the selected font.
  virtual int text_width(std::u16string_view text) = 0;
  virtual void draw_text(const TextRun& run) = 0;

  virtual void draw_line(int x1, int y1, int x2, int y2, const PenSpec& pen) = 0;
  virtual void draw_rectangle(int left, int top, int right, int bottom, const PenSpec& pen,
                              const BrushSpec& brush) = 0;
  // Angles in hundredths of a degree, counter-clockwise from the x axis.
  virtual void draw_arc(ArcKind kind, int cx, int cy, int radius, int start, int end,
                        const PenSpec& pen, const BrushSpec& brush) = 0;
  virtual void draw_bitmap(const RasterImage& image, int x, int y, int width, int height) = 0;
};

}  // namespace kovw::print
