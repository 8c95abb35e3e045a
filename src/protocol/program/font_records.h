#pragma once
// The 144-byte record of one installed font family in the KWK_KFONTLIST answer.
//
//   0-63    family name, host text, zero-terminated and zero-filled
//   64-95   style name of the family's regular face, zero-terminated and zero-filled
//   96      i32 weight of that face (100 thin to 900 black, 400 normal, 700 bold)
//   100     u32 flags (kFont... below)
//   104     i32 character set the enumeration was asked for
//   108     u32 scripts the family covers (kScript... bits below)
//   112-143 zero
// Numbers are little-endian.

#include <cstdint>
#include <string>
#include <vector>

namespace kovw::protocol {

inline constexpr std::size_t kFontRecordFamilySize = 64;
inline constexpr std::size_t kFontRecordStyleSize = 32;

inline constexpr std::uint32_t kFontItalic = 0x01;
inline constexpr std::uint32_t kFontFixedPitch = 0x02;
inline constexpr std::uint32_t kFontScalable = 0x04;
inline constexpr std::uint32_t kFontSmoothlyScalable = 0x08;
inline constexpr std::uint32_t kFontBitmapScalable = 0x10;

inline constexpr std::uint32_t kScriptLatin = 1u << 0;
inline constexpr std::uint32_t kScriptGreek = 1u << 1;
inline constexpr std::uint32_t kScriptCyrillic = 1u << 2;
inline constexpr std::uint32_t kScriptHebrew = 1u << 3;
inline constexpr std::uint32_t kScriptArabic = 1u << 4;
inline constexpr std::uint32_t kScriptThai = 1u << 5;
inline constexpr std::uint32_t kScriptJapanese = 1u << 6;
inline constexpr std::uint32_t kScriptKorean = 1u << 7;
inline constexpr std::uint32_t kScriptSimplifiedChinese = 1u << 8;
inline constexpr std::uint32_t kScriptTraditionalChinese = 1u << 9;
inline constexpr std::uint32_t kScriptSymbol = 1u << 10;
inline constexpr std::uint32_t kScriptVietnamese = 1u << 11;

struct FontRecord {
  std::string family;  // host text, at most 63 bytes are kept
  std::string style;   // host text, at most 31 bytes are kept
  std::int32_t weight = 400;
  std::uint32_t flags = 0;
  std::int32_t character_set = 1;
  std::uint32_t scripts = 0;
};

// Appends the 144-byte record of `font` to `out`.
void append_font_record(std::vector<std::uint8_t>& out, const FontRecord& font);
// Reads the record at `record` (kFontRecordSize bytes).
FontRecord read_font_record(const std::uint8_t* record);

}  // namespace kovw::protocol
