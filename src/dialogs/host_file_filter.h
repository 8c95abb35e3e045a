#pragma once
// The host's side of the path selection, plain C++ over the bytes a host sends: its file filter
// text, and the form in which a chosen path goes back to it (see path_choice.h for the slash
// rule).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kovw::dialogs {

// Backslashes of the start path come doubled; the answer doubles every backslash.
inline constexpr std::int32_t kPathDoubledBackslashes = 0x8000;

// One entry of the file type list: its comment and its patterns ("*.txt").
struct FileFilter {
  std::string comment;
  std::vector<std::string> patterns;
};
struct FilterConversion {
  std::vector<FileFilter> entries;
  bool malformed = false;  // no "|" at all, or an even number of them
};

// The host filter "comment | types | comment | types ...", types separated by ";" and blanks
// inside a types part dropped. Complete comment/types pairs become entries; a comment left
// without types is not offered. A malformed filter still gives what it holds.
FilterConversion convert_host_filter(std::string_view filter);

// Every backslash doubled.
std::string double_backslashes(std::string_view text);

// What the server reported at login about paths.
struct HostPathRule {
  bool keeps_slash = false;  // the host keeps "/" in returned paths
  int daemon_version = 0;
};
inline constexpr int kDaemonSlashVersion = 0x30008;

// The chosen local path as the host gets it (the slash rule of path_choice.h), backslashes
// doubled under
// flag 0x8000.
std::string host_answer_path(std::string_view chosen, const HostPathRule& rule, std::int32_t flags);

}  // namespace kovw::dialogs
