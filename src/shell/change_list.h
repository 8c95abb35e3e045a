#pragma once
// The program's own change list: one entry per version, shown by the "Update Changes"
// command under the heading "Update Information".

#include <QString>
#include <cstdint>
#include <span>

namespace kovw::shell {

struct ChangeEntry {
  std::uint32_t version;  // major, minor, patch in bits 16, 8 and 0
  const char* date;       // YYYY-MM-DD
  const char* german;
  const char* english;
};

// Newest first.
std::span<const ChangeEntry> change_entries();

// One line: "major.minor/patch" padded to 13 characters, a tab, the date, a blank and the
// text of the current language.
QString change_line(const ChangeEntry& entry, bool in_german);
// Every line, newest first.
QString change_list_text(bool in_german);

}  // namespace kovw::shell
