#pragma once
// The text options of a graphics window's drawing state: the text flags with their meanings and
// the seven option values the host sets together.

namespace kovw::graphics {

// Text flags.
inline constexpr int kTextOpaque = 0x0002;      // the text background is filled
inline constexpr int kTextFit = 0x0004;         // the text is fitted into the text length
inline constexpr int kTextBoxWidth = 0x0010;    // a box when t4 is above 0
inline constexpr int kTextScreenLine = 0x0020;  // drawn as a line of the text screen
inline constexpr int kTextUtf8 = 0x0040;
inline constexpr int kTextBox = 0x0080;
inline constexpr int kTextAnchorEnd = 0x2000;  // x is the right edge (or the centre)

// Alignments (text flags bits 8-11).
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignRight = 1;
inline constexpr int kAlignDecimalPoint = 2;
inline constexpr int kAlignDecimalComma = 4;
inline constexpr int kAlignJustified = 6;
inline constexpr int kAlignJustifiedToo = 7;
inline constexpr int kAlignCentred = 8;

inline int text_alignment(int flags) {
  return (flags >> 8) & 0x0F;
}

// The text options of the drawing state.
struct TextOptions {
  int t1 = 0;
  int flags = 0;
  int t3 = 0;  // fill style of the text box
  int t4 = 0;  // frame width of the text box
  int t5 = 0;  // spacing of text screen lines
  int t6 = 0;  // frame kind of the text box
  int t7 = 0;  // fill option of the text box
};

}  // namespace kovw::graphics
