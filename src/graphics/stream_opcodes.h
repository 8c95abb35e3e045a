#pragma once
// The opcodes of the graphics command stream, their names for the log, and the size of their
// operands by host library version. One table holds these facts for every reader of the stream.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kovw::graphics {

inline constexpr int DB_END = 0x00;
inline constexpr int DB_RESET = 0x01;
inline constexpr int DB_FONT = 0x02;
inline constexpr int DB_TOPT = 0x03;
inline constexpr int DB_TANGLE = 0x04;
inline constexpr int DB_FLUSH = 0x05;
inline constexpr int DB_LART = 0x06;
inline constexpr int DB_LWID = 0x07;
inline constexpr int DB_LMARK = 0x08;
inline constexpr int DB_LOPT = 0x09;
inline constexpr int DB_FILL = 0x0A;
inline constexpr int DB_TEXT = 0x0B;
inline constexpr int DB_LINE = 0x0C;
inline constexpr int DB_KREIS = 0x0D;
inline constexpr int DB_RECT = 0x0E;
inline constexpr int DB_HGF = 0x0F;
inline constexpr int DB_COLOUR_FIRST = 0x10;
inline constexpr int DB_COLOUR_LAST = 0x1F;
inline constexpr int DB_PIEP = 0x20;
inline constexpr int DB_REFRESH = 0x21;
inline constexpr int DB_MSG = 0x22;
inline constexpr int DB_CONTROL = 0x23;
inline constexpr int DB_KREIS_BOX = 0x24;
inline constexpr int DB_TLEN = 0x25;
inline constexpr int DB_SENSE = 0x26;
inline constexpr int DB_WINOP = 0x2D;
inline constexpr int DB_WINSEG = 0x2E;
inline constexpr int DB_BARS = 0x2F;
inline constexpr int DB_FILL2 = 0x30;
inline constexpr int DB_TOPT7 = 0x31;
inline constexpr int DB_PICTURE = 0x32;
inline constexpr int DB_MEDIA = 0x33;
inline constexpr int DB_SETFONT = 0x34;
inline constexpr int DB_MEDIAOPT = 0x35;

// Host library versions (0xMMmmpp) from which operands grow.
inline constexpr std::int32_t kVersionSenseWindow = 0x040000;    // DB_SENSE: window operand
inline constexpr std::int32_t kVersionRectExtra = 0x030D0A;      // DB_RECT: extra byte
inline constexpr std::int32_t kVersionRectRadius = 0x060A03;     // DB_RECT: corner radius
inline constexpr std::int32_t kVersionFontAttribute = 0x041307;  // DB_FONT: attribute
inline constexpr std::int32_t kVersionTextAngle = 0x020500;      // DB_TANGLE taken on screen
inline constexpr std::int32_t kVersionWiderControl = 0x030D06;   // DB_CONTROL right edge

// The name of an opcode for the log ("DB_LINE"), or "?" for one without meaning.
std::string_view opcode_name(int opcode);

// The size of the fixed operands of `opcode` for `library_version` (the part before any
// counted text, points or pattern).
std::size_t fixed_operand_size(int opcode, std::int32_t library_version);

// The size of all operands of `opcode` in a stream without lengths (types 1 and 3), read from
// the fixed operands in `operands` (the bytes after the opcode, as many as there are). Nothing
// when the bytes end before the size is known.
std::optional<std::size_t> operand_size(int opcode, std::span<const std::uint8_t> operands,
                                        std::int32_t library_version);

}  // namespace kovw::graphics
