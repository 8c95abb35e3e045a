#pragma once
// Logical paths: a file name whose first component is a synonym (PRT/SYSLOG, TMP/x,
// HW/unicode/%s.uct, WIN:APPDATA/kovw) turned into a real path, and %NAME% references
// expanded. Both "/" and "\" are accepted as separators; results use "/".

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kovw::foundation {

// Flags of resolve_path.
inline constexpr int kPathKeepQuotes = 1;    // wrap the result in quotes if the source had any
inline constexpr int kPathQuoteIfBlank = 2;  // wrap the result in quotes if it has a blank
inline constexpr int kPathNoShortcuts = 4;   // do not resolve shortcuts (links)
inline constexpr int kPathWindowsFolderFirst = 8;  // try the synonym as a WIN: folder name first

// Limits of resolve_path.
inline constexpr int kPathWhole = 0;         // read the whole source
inline constexpr int kPathFirstWord = -1;    // up to the first blank outside double quotes
inline constexpr int kPathDoubleBlank = -2;  // up to the first pair of blanks outside quotes

// Longest resolved path.
inline constexpr std::size_t kPathMax = 1023;

// Resolves `source`; std::nullopt when the result would not fit in kPathMax characters.
// Reading stops at a zero byte. Without kPathNoShortcuts, a directory component that does not
// exist but has a symbolic link "<name>.lnk" to a directory beside it is replaced by the
// link's target (the counterpart of a folder shortcut).
std::optional<std::string> resolve_path(std::string_view source, int limit = kPathWhole,
                                        int flags = 0);

// The folder of a WIN: row, by numeric key (when not 0) or by exact name; nullopt when there
// is no such row or the folder has no counterpart here (see windows_folders.cpp).
std::optional<std::string> windows_folder(int key, std::string_view name);

// Copies `source` replacing %NAME% references; `replaced` tells whether any was replaced.
// nullopt when the result would not fit in kPathMax characters.
std::optional<std::string> expand_names(std::string_view source, bool* replaced = nullptr);

// Sets the function that tells the installation directory (%KOVW%); the shell sets it once
// its settings are loaded. An empty function, or one that returns an empty text, leaves
// %KOVW% as written. The function may be called from any thread.
void set_install_path_provider(std::function<std::string()> provider);

// The directory of the default browser profile described by the text of a "profiles.ini"
// found in `profiles_dir`: the profile named by the Default= of an [Install...] section, else
// the [Profile...] section with Default=1, else the only profile. nullopt when none is found.
std::optional<std::string> parse_browser_profiles(std::string_view ini_text,
                                                  std::string_view profiles_dir);

}  // namespace kovw::foundation
