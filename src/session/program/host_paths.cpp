#include "session/program/host_paths.h"

#include <QString>
#include <span>
#include <vector>

#include "foundation/host_text.h"
#include "foundation/path_synonyms.h"

namespace kovw::session {

std::string utf8_of_host(std::string_view host_text) {
  return QString::fromStdU16String(foundation::host_to_wide(host_text)).toStdString();
}

std::optional<std::string> local_path_of_utf8(std::string_view path) {
  return foundation::resolve_path(path);
}

std::optional<std::string> local_path(std::string_view host_path) {
  return local_path_of_utf8(utf8_of_host(host_path));
}

std::string host_text_of(std::string_view utf8, std::size_t capacity) {
  if (capacity == 0) return {};
  const std::u16string wide =
      QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String();
  bool ansi = true;
  for (const char16_t c : wide) {
    if (foundation::ansi_to_wide(foundation::wide_to_ansi(c)) != c) {
      ansi = false;
      break;
    }
  }
  std::vector<char> field(capacity, 0);
  const int flags = foundation::kTextTerminate | (ansi ? 0 : foundation::kTextMarker);
  const std::size_t length = foundation::wide_to_host(wide, std::span<char>(field), flags);
  return std::string(field.data(), length);
}

}  // namespace kovw::session
