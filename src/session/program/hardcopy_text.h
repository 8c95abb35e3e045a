#pragma once
// The text of a text screen as a hardcopy writes it: one byte per cell of the visible part of
// the grid, line-drawing cells as frame characters, each row ended by CR LF (LF alone for the
// clipboard). Plain C++ over the grid so that the bytes can be checked without a display.

#include <cstdint>
#include <span>
#include <string>

#include "session/program/text_screen.h"

namespace kovw::session {

// Hardcopy formats; bit 0x10 marks the text formats.
inline constexpr int kHardcopyBmp = 0;
inline constexpr int kHardcopyPcx = 1;
inline constexpr int kHardcopyText = 16;      // ANSI code page, ".txt"
inline constexpr int kHardcopyOemText = 18;   // IBM PC code page 850, ".oem"
inline constexpr int kHardcopyClipText = 19;  // clipboard text, LF line ends
inline constexpr int kHardcopyTextBit = 0x10;

constexpr bool is_text_format(int format) {
  return (format & kHardcopyTextBit) != 0;
}

// The part of a grid of `columns` x `rows` cells a hardcopy takes: the view, clamped to the
// grid; the whole grid when the view is empty.
TextView hardcopy_region(const TextView& view, int columns, int rows);

// The bytes of `region` of `grid` (rows of `columns` cells) in `format` (16, 18 or 19).
std::string hardcopy_text(std::span<const std::uint32_t> grid, int columns, const TextView& region,
                          int format);

// The code page 850 byte of a character of the ANSI code page; '?' when 850 lacks it.
std::uint8_t ansi_to_oem(std::uint8_t character);

}  // namespace kovw::session
