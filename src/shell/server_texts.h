#pragma once
// How the shell tidies texts it sends to or shows from the server daemon.

#include <cstddef>
#include <string>
#include <string_view>

namespace kovw::shell {

// A login text (user, domain, host): cut at `limit` characters, then trailing blanks and
// control characters and leading blanks removed.
std::string trim_login_text(std::string_view text, std::size_t limit);

// A daemon's message text: trailing blanks removed, then cut at `limit` characters.
std::string trim_message_text(std::string_view text, std::size_t limit);

}  // namespace kovw::shell
