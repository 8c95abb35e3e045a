#include "shell/server_texts.h"

#include <algorithm>

namespace kovw::shell {

std::string trim_login_text(std::string_view text, std::size_t limit) {
  std::string out(text.substr(0, std::min(text.size(), limit)));
  while (!out.empty() && static_cast<unsigned char>(out.back()) <= ' ') out.pop_back();
  while (!out.empty() && static_cast<unsigned char>(out.front()) == ' ') out.erase(0, 1);
  return out;
}

std::string trim_message_text(std::string_view text, std::size_t limit) {
  std::string out(text);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (out.size() > limit) out.resize(limit);
  return out;
}

}  // namespace kovw::shell
