#pragma once
// The text that "kovw --help" prints: the options and the exit statuses.

#include <string>

namespace kovw::shell {

std::string usage_text();

}  // namespace kovw::shell
