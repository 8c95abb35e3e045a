#include "shell/version.h"

#include "build_info.h"

namespace kovw::shell {

std::string version_text() {
  return std::string("V ") + KOVW_VERSION_STRING + " ;" + KOVW_BUILD_DATE;
}

std::string version_of(std::string_view text) {
  std::size_t at = text.find('V');
  if (at == std::string_view::npos) return {};
  ++at;
  while (at < text.size() && text[at] == ' ') ++at;
  std::size_t end = text.find_first_of(" ;", at);
  return std::string(text.substr(at, end == std::string_view::npos ? end : end - at));
}

std::uint32_t version_word(std::string_view version) {
  std::uint32_t word = 0;
  std::size_t i = 0;
  while (i < version.size()) {
    if (version[i] < '0' || version[i] > '9') {
      ++i;
      continue;
    }
    std::uint32_t number = 0;
    while (i < version.size() && version[i] >= '0' && version[i] <= '9') {
      number = number * 10 + static_cast<std::uint32_t>(version[i] - '0');
      ++i;
    }
    word = (word << 8) | (number & 0xFF);
  }
  return word;
}

std::string window_title() {
  return "KOV Workstation V " + version_of(version_text());
}

}  // namespace kovw::shell
