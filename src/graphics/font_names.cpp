#include "graphics/font_names.h"

namespace kovw::graphics {

namespace {

const std::string kNone;

}  // namespace

bool FontNameTable::set(int number, std::string_view name) {
  if (number < 0 || number >= kFontNameCount) return false;
  // The name ends at a zero byte, as the fixed record fields it comes from do.
  name = name.substr(0, name.find('\0'));
  names_[static_cast<std::size_t>(number)] = std::string(name.substr(0, kFontNameMax));
  return true;
}

const std::string& FontNameTable::name(int number) const {
  if (number < 0 || number >= kFontNameCount) return kNone;
  return names_[static_cast<std::size_t>(number)];
}

}  // namespace kovw::graphics
