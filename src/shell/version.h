#pragma once
// The program's version text, the version word compared with the host's versions, and the
// window title.

#include <cstdint>
#include <string>
#include <string_view>

namespace kovw::shell {

// "V 7.3/5 ;2026-12-10 05:00": "V", the version, " ;" and the build date and time.
std::string version_text();
// The version of a version text: after "V" (and blanks) up to the first blank or ";".
std::string version_of(std::string_view text);
// Every run of digits of the version is one number, shifted in from the right by 8 bits:
// "7.3/5" gives 0x070305.
std::uint32_t version_word(std::string_view version);
// "KOV Workstation V 7.3/5".
std::string window_title();

}  // namespace kovw::shell
