#pragma once
// The named folders of logical paths: the WIN: rows (WIN:APPDATA/kovw) with their numeric
// keys, the %NAME% expansion rows with their codes, and where each folder lies here (the XDG
// and home places that stand for it).

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kovw::foundation {

// The places a folder name can stand for.
enum class Folder {
  Desktop,
  StartMenu,
  SendTo,
  Autostart,
  Documents,
  Programs,
  Fonts,
  AppData,
  InternetCache,
  LocalAppData,
  ProgramFiles,
  ProgramFilesX86,
  System,
  Windows,
  AllDesktop,
  AllStart,
  AllAutostart,
  AllDocuments,
  AllPrograms,
  Favorites,
};

// One row of the WIN: table: matched by exact (case-sensitive) name or by numeric key.
struct WindowsFolderRow {
  std::string_view name;
  int key;
  Folder folder;
};

// Keys other modules ask for directly.
inline constexpr int kFolderKeyDesktop = 0x01;
inline constexpr int kFolderKeyAppData = 0x11;

// The 24 rows in their fixed order (the five COMMON_ rows are aliases of ALL_ rows).
std::span<const WindowsFolderRow> windows_folder_table();

// Codes of the %NAME% table that are not plain folders.
inline constexpr int kExpandMozillaPlugin = 17;
inline constexpr int kExpandInstallDir = 18;
inline constexpr int kExpandIePath = 19;
inline constexpr int kExpandMozillaProfile = 20;
inline constexpr int kExpandOperaPlugin = 22;

// One row of the %NAME% table: exact (case-sensitive) name and code.
struct ExpansionRow {
  std::string_view name;
  int code;
};

// The 19 rows in their fixed order.
std::span<const ExpansionRow> expansion_table();

// The folder a %NAME% code stands for; nullopt for the computed codes (17 to 20, 22).
std::optional<Folder> folder_of_expansion_code(int code);

// Where `folder` lies, from the environment and the files read at the time of the call;
// nullopt when it has no counterpart here or the home directory is unknown.
std::optional<std::string> folder_path(Folder folder);

// The user's home directory: $HOME, else the password database; nullopt when neither knows.
std::optional<std::string> home_directory();

// Reads the value of `key` (XDG_DESKTOP_DIR, ...) from the text of an xdg-user-dirs file
// ("user-dirs.dirs"): lines KEY="$HOME/sub" or KEY="/absolute"; `home` replaces $HOME.
// nullopt when the key is missing or its value is malformed.
std::optional<std::string> parse_user_dirs(std::string_view text, std::string_view key,
                                           std::string_view home);

}  // namespace kovw::foundation
