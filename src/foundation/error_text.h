#pragma once
// The text of a system error code, as log lines and messages show it after "code: ".
// 60000 and up: program-start failures; 20000-59999: C library errno + 20000;
// 10000-19999: socket errors (symbolic name and a short description); other: system text.

#include <string>

namespace kovw::foundation {

// `german` selects the German descriptions (the default language of the socket table).
std::string error_text(int code, bool german);

}  // namespace kovw::foundation
