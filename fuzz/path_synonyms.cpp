// Logical paths and %NAME% references from arbitrary bytes, with arbitrary limits and flags,
// and the text files read while resolving them (user-dirs.dirs, profiles.ini).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/path_synonyms.h"
#include "foundation/windows_folders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::foundation;
  if (size < 2) return 0;
  const int limit =
      static_cast<std::int8_t>(data[0]) % 8 == 7 ? 2000 : static_cast<std::int8_t>(data[0]);
  const int flags = data[1] & 0x0f;
  std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  if (auto path = resolve_path(text, limit, flags)) {
    if (path->size() > kPathMax) __builtin_trap();
  }
  bool replaced = false;
  if (auto expanded = expand_names(text, &replaced)) {
    if (expanded->size() > kPathMax) __builtin_trap();
  }
  parse_user_dirs(text, "XDG_DESKTOP_DIR", "/home/u");
  parse_browser_profiles(text, "/home/u/.mozilla/firefox");
  return 0;
}
