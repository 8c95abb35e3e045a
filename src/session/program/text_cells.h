#pragma once
// Cells and attributes of the text screen grid. A cell is 32 bits: bits 0 to 7 the character
// byte, bits 8 to 31 the 24-bit attribute that was current when the character was written.
// Plain C++ so that the model can be fuzzed and tested without a display.

#include <cstdint>

namespace kovw::session {

// Attribute bits (bit numbers of the attribute; a cell holds them 8 bits higher).
inline constexpr std::uint32_t kAttrDisplayBits = 0x00000F;  // bits 0 to 3, written together
inline constexpr std::uint32_t kAttrReverse = 1u << 1;
inline constexpr std::uint32_t kAttrBold = 1u << 2;
inline constexpr std::uint32_t kAttrUnderline = 1u << 3;
inline constexpr std::uint32_t kAttrSemigraphics = 1u << 4;  // "P" to "_" as line pieces
inline constexpr std::uint32_t kAttrRaised = 1u << 5;        // raised 3-D edge around the field
inline constexpr std::uint32_t kAttrSunken = 1u << 6;        // sunken edge: input field look
inline constexpr std::uint32_t kAttrDropDown = 1u << 7;      // drop-down button, one-shot
inline constexpr std::uint32_t kAttrAlignMask = 0x000700;    // bits 8 to 10
inline constexpr int kAttrAlignShift = 8;
inline constexpr std::uint32_t kAttrFieldStart = 1u << 11;  // begins a drawing run, one-shot
inline constexpr std::uint32_t kAttrBit12 = 1u << 12;       // no meaning; ignored by runs
inline constexpr std::uint32_t kAttrMore = 1u << 13;        // "more" button, one-shot
inline constexpr std::uint32_t kAttrForegroundMask = 0x0F0000;
inline constexpr int kAttrForegroundShift = 16;
inline constexpr std::uint32_t kAttrBackgroundMask = 0xF00000;
inline constexpr int kAttrBackgroundShift = 20;

// Bits cleared from the current attribute after each written character.
inline constexpr std::uint32_t kAttrOneShot = kAttrDropDown | kAttrFieldStart | kAttrMore;
// Bits that put a cell inside an element (edge or button).
inline constexpr std::uint32_t kAttrElement = kAttrRaised | kAttrSunken | kAttrDropDown | kAttrMore;
inline constexpr std::uint32_t kAttrButton = kAttrDropDown | kAttrMore;

// Alignment values of bits 8 to 10.
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignRight = 2;
inline constexpr int kAlignCentre = 3;
inline constexpr int kAlignDecimalComma = 4;
inline constexpr int kAlignDecimalPoint = 5;
inline constexpr int kAlignLeftTrimmed = 6;

// Foreground index 14 (the screen's text colour), background index 15, no display bits.
inline constexpr std::uint32_t kResetAttribute = 0xFE0000;
inline constexpr std::uint32_t kBlankCell = 0xFE000020;

constexpr std::uint32_t make_cell(std::uint32_t attribute, std::uint8_t character) {
  return (attribute & 0xFFFFFFu) << 8 | character;
}
constexpr std::uint8_t cell_character(std::uint32_t cell) {
  return static_cast<std::uint8_t>(cell & 0xFFu);
}
constexpr std::uint32_t cell_attribute(std::uint32_t cell) {
  return cell >> 8;
}
constexpr int attribute_alignment(std::uint32_t attribute) {
  return static_cast<int>((attribute & kAttrAlignMask) >> kAttrAlignShift);
}
constexpr int attribute_foreground(std::uint32_t attribute) {
  return static_cast<int>((attribute & kAttrForegroundMask) >> kAttrForegroundShift);
}
constexpr int attribute_background(std::uint32_t attribute) {
  return static_cast<int>((attribute & kAttrBackgroundMask) >> kAttrBackgroundShift);
}

static_assert(make_cell(kResetAttribute, ' ') == kBlankCell);

}  // namespace kovw::session
