#include "session/program/hardcopy_text.h"

#include <algorithm>
#include <array>

#include "foundation/host_text.h"
#include "session/program/text_cells.h"

namespace kovw::session {

namespace {

// The characters of the bytes 0x80 to 0xFF of code page 850.
constexpr std::array<char16_t, 128> kOemHigh = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

// The ANSI byte -> code page 850 byte, built once.
const std::array<std::uint8_t, 256>& oem_table() {
  static const std::array<std::uint8_t, 256> table = [] {
    std::array<std::uint8_t, 256> t{};
    for (int byte = 0; byte < 256; ++byte) {
      const char16_t wide = foundation::ansi_to_wide(static_cast<unsigned char>(byte));
      if (wide < 0x80) {
        t[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(wide);
        continue;
      }
      t[static_cast<std::size_t>(byte)] = '?';
      for (std::size_t i = 0; i < kOemHigh.size(); ++i) {
        if (kOemHigh[i] == wide) {
          t[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(0x80 + i);
          break;
        }
      }
    }
    return t;
  }();
  return table;
}

// Line-drawing cells "P" to "_" in the ANSI formats and in code page 850.
constexpr char kAnsiPieces[] = "***||++++++++-|+";
constexpr std::uint8_t kOemPieces[] = {220, 219, 223, 179, 179, 218, 191, 192,
                                       217, 194, 180, 195, 193, 196, 179, 197};

}  // namespace

std::uint8_t ansi_to_oem(std::uint8_t character) {
  return oem_table()[character];
}

TextView hardcopy_region(const TextView& view, int columns, int rows) {
  if (view.rows <= 0 || view.columns <= 0) return {0, 0, rows, columns};
  TextView region;
  region.first_row = std::clamp(view.first_row, 0, rows);
  region.first_column = std::clamp(view.first_column, 0, columns);
  region.rows = std::min(view.rows, rows - region.first_row);
  region.columns = std::min(view.columns, columns - region.first_column);
  return region;
}

std::string hardcopy_text(std::span<const std::uint32_t> grid, int columns, const TextView& region,
                          int format) {
  std::string text;
  if (columns <= 0) return text;
  const int rows = static_cast<int>(grid.size() / static_cast<std::size_t>(columns));
  const TextView area = hardcopy_region(region, columns, rows);
  const char* line_end = format == kHardcopyClipText ? "\n" : "\r\n";
  text.reserve(static_cast<std::size_t>(area.rows) * static_cast<std::size_t>(area.columns + 2));
  for (int row = area.first_row; row < area.first_row + area.rows; ++row) {
    for (int column = area.first_column; column < area.first_column + area.columns; ++column) {
      const std::uint32_t cell =
          grid[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
               static_cast<std::size_t>(column)];
      const std::uint8_t character = cell_character(cell);
      const bool piece =
          (cell_attribute(cell) & kAttrSemigraphics) != 0 && character >= 'P' && character <= '_';
      std::uint8_t out = character;
      if (piece) {
        out = format == kHardcopyOemText ? kOemPieces[character - 'P']
                                         : static_cast<std::uint8_t>(kAnsiPieces[character - 'P']);
      } else if (format == kHardcopyOemText) {
        out = ansi_to_oem(character);
      }
      text.push_back(static_cast<char>(out));
    }
    text += line_end;
  }
  return text;
}

}  // namespace kovw::session
