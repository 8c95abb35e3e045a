#pragma once
// The program window's table of 20 font names, indexed by the font numbers of the graphics
// stream (DB_SETFONT) and of KWK_GFONTSLOT. Names are host text of at most 63 bytes.

#include <array>
#include <string>
#include <string_view>

namespace kovw::graphics {

inline constexpr int kFontNameCount = 20;
inline constexpr std::size_t kFontNameMax = 63;

class FontNameTable {
 public:
  // Sets entry `number` (0-19) to `name` up to a zero byte, at most 63 bytes; returns false
  // for other numbers, which are skipped.
  bool set(int number, std::string_view name);
  // The entry, empty for numbers outside the table and for entries never set.
  const std::string& name(int number) const;

 private:
  std::array<std::string, kFontNameCount> names_;
};

}  // namespace kovw::graphics
