#include "foundation/windows_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace kovw::foundation {

// Where the folders lie on a free desktop (XDG base directories and xdg-user-dirs).
// Every place is computed from the environment at the time of the call.
//
//   folder            | here
//   ------------------+---------------------------------------------------------------
//   DESKTOP           | XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop
//   START, PROGRAMS   | $XDG_DATA_HOME/applications (~/.local/share/applications)
//   SENDTO            | none
//   AUTOSTART         | $XDG_CONFIG_HOME/autostart (~/.config/autostart)
//   DOCUMENTS         | XDG_DOCUMENTS_DIR of user-dirs.dirs, else ~/Documents
//   FONTS             | $XDG_DATA_HOME/fonts (~/.local/share/fonts)
//   APPDATA           | $XDG_DATA_HOME (~/.local/share)
//   LOCAL_APPDATA     | $XDG_DATA_HOME as well: nothing roams here, so the per-machine
//                     | application data is the same place as the user's
//   INTERNET_CACHE    | $XDG_CACHE_HOME (~/.cache)
//   PROGRAM_FILES     | /opt (add-on software outside the package manager)
//   PROGRAM_FILESX86  | none
//   SYSTEM, WINDOWS   | none
//   ALL_START,        | first entry of $XDG_DATA_DIRS (/usr/local/share) + /applications
//   ALL_PROGRAMS      |
//   ALL_AUTOSTART     | first entry of $XDG_CONFIG_DIRS (/etc/xdg) + /autostart
//   ALL_DESKTOP       | none
//   ALL_DOCUMENTS     | none
//   FAVORITES (%..%)  | none
//
// A folder with no counterpart gives nullopt, so that callers fall back to the environment
// or keep the name as written. XDG variables that are empty or not absolute are ignored,
// as the XDG base directory rules demand.

namespace {

constexpr std::array<WindowsFolderRow, 24> kWindowsFolders{{
    {"DESKTOP", 0x01, Folder::Desktop},
    {"START", 0x02, Folder::StartMenu},
    {"SENDTO", 0x03, Folder::SendTo},
    {"AUTOSTART", 0x04, Folder::Autostart},
    {"DOCUMENTS", 0x05, Folder::Documents},
    {"PROGRAMS", 0x06, Folder::Programs},
    {"FONTS", 0x07, Folder::Fonts},
    {"APPDATA", 0x11, Folder::AppData},
    {"INTERNET_CACHE", 0x12, Folder::InternetCache},
    {"LOCAL_APPDATA", 0x13, Folder::LocalAppData},
    {"PROGRAM_FILES", 0x14, Folder::ProgramFiles},
    {"PROGRAM_FILESX86", 0x15, Folder::ProgramFilesX86},
    {"SYSTEM", 0x16, Folder::System},
    {"WINDOWS", 0x17, Folder::Windows},
    // The common folders carry 0x80 plus the key of the user's folder of the same kind.
    {"ALL_DESKTOP", 0x81, Folder::AllDesktop},
    {"ALL_START", 0x82, Folder::AllStart},
    {"ALL_AUTOSTART", 0x84, Folder::AllAutostart},
    {"ALL_DOCUMENTS", 0x85, Folder::AllDocuments},
    {"ALL_PROGRAMS", 0x86, Folder::AllPrograms},
    {"COMMON_DESKTOP", 0x81, Folder::AllDesktop},
    {"COMMON_START", 0x82, Folder::AllStart},
    {"COMMON_AUTOSTART", 0x84, Folder::AllAutostart},
    {"COMMON_DOCUMENTS", 0x85, Folder::AllDocuments},
    {"COMMON_PROGRAMS", 0x86, Folder::AllPrograms},
}};

constexpr std::array<ExpansionRow, 19> kExpansionNames{{
    {"DESKTOP", 1},
    {"START", 2},
    {"AUTOSTART", 4},
    {"SENDTO", 3},
    {"ALLDESKTOP", 129},
    {"ALLSTART", 130},
    {"ALLAUTO", 132},
    {"FONTS", 7},
    {"PROGRAMS", 6},
    {"PROGRAMFILES", 16},
    {"ALLPROGRAMS", 134},
    {"COMMONPROGRAMS", 131},
    {"APPDATA", 135},
    {"MOZILLA_PLUGIN", kExpandMozillaPlugin},
    {"KOVW", kExpandInstallDir},
    {"IE_PATH", kExpandIePath},
    {"MOZILLA_PROFILE", kExpandMozillaProfile},
    {"FAVORITES", 21},
    {"OPERA_PLUGIN", kExpandOperaPlugin},
}};

// user-dirs.dirs is a small shell fragment; anything larger is not one.
constexpr std::size_t kUserDirsMaxBytes = 64 * 1024;

std::optional<std::string> env_value(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

// An XDG base directory variable: used only when set to an absolute path.
std::optional<std::string> xdg_variable(const char* name) {
  auto value = env_value(name);
  if (value && value->front() == '/') return value;
  return std::nullopt;
}

// $name if it is absolute, else the home directory followed by `fallback`.
std::optional<std::string> xdg_home(const char* name, std::string_view fallback) {
  if (auto value = xdg_variable(name)) return value;
  auto home = home_directory();
  if (!home) return std::nullopt;
  return *home + "/" + std::string(fallback);
}

// First absolute entry of a colon-separated list such as $XDG_DATA_DIRS, else `fallback`.
std::string xdg_first_dir(const char* name, std::string_view fallback) {
  if (auto value = env_value(name)) {
    std::string_view list = *value;
    while (!list.empty()) {
      std::size_t colon = list.find(':');
      std::string_view entry = list.substr(0, colon);
      if (!entry.empty() && entry.front() == '/') return std::string(entry);
      if (colon == std::string_view::npos) break;
      list.remove_prefix(colon + 1);
    }
  }
  return std::string(fallback);
}

std::optional<std::string> read_small_file(const std::string& path, std::size_t max_bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(max_bytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(max_bytes));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

// A user directory of xdg-user-dirs (XDG_DESKTOP_DIR, ...), else ~/<fallback>.
std::optional<std::string> user_dir(std::string_view key, std::string_view fallback) {
  auto home = home_directory();
  if (!home) return std::nullopt;
  if (auto config = xdg_home("XDG_CONFIG_HOME", ".config")) {
    if (auto text = read_small_file(*config + "/user-dirs.dirs", kUserDirsMaxBytes)) {
      if (auto dir = parse_user_dirs(*text, key, *home)) return dir;
    }
  }
  return *home + "/" + std::string(fallback);
}

std::string_view trim_left(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

}  // namespace

std::span<const WindowsFolderRow> windows_folder_table() {
  return kWindowsFolders;
}

std::span<const ExpansionRow> expansion_table() {
  return kExpansionNames;
}

std::optional<Folder> folder_of_expansion_code(int code) {
  switch (code) {
    case 1:
      return Folder::Desktop;
    case 2:
      return Folder::StartMenu;
    case 3:
      return Folder::SendTo;
    case 4:
      return Folder::Autostart;
    case 5:
      return Folder::Documents;
    case 6:
      return Folder::Programs;
    case 7:
      return Folder::Fonts;
    case 16:
      return Folder::ProgramFiles;
    case 21:
      return Folder::Favorites;
    case 129:
      return Folder::AllDesktop;
    case 130:
      return Folder::AllStart;
    case 131:
      return Folder::AllPrograms;
    case 132:
      return Folder::AllAutostart;
    case 134:
      return Folder::AllPrograms;
    case 135:
      return Folder::AppData;
    default:
      return std::nullopt;
  }
}

std::optional<std::string> home_directory() {
  if (auto home = env_value("HOME")) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == '\0') {
    return std::nullopt;
  }
  return std::string(found->pw_dir);
}

std::optional<std::string> folder_path(Folder folder) {
  switch (folder) {
    case Folder::Desktop:
      return user_dir("XDG_DESKTOP_DIR", "Desktop");
    case Folder::Documents:
      return user_dir("XDG_DOCUMENTS_DIR", "Documents");
    case Folder::StartMenu:
    case Folder::Programs: {
      auto data = xdg_home("XDG_DATA_HOME", ".local/share");
      if (!data) return std::nullopt;
      return *data + "/applications";
    }
    case Folder::Fonts: {
      auto data = xdg_home("XDG_DATA_HOME", ".local/share");
      if (!data) return std::nullopt;
      return *data + "/fonts";
    }
    case Folder::Autostart: {
      auto config = xdg_home("XDG_CONFIG_HOME", ".config");
      if (!config) return std::nullopt;
      return *config + "/autostart";
    }
    case Folder::AppData:
    case Folder::LocalAppData:
      return xdg_home("XDG_DATA_HOME", ".local/share");
    case Folder::InternetCache:
      return xdg_home("XDG_CACHE_HOME", ".cache");
    case Folder::ProgramFiles:
      return std::string("/opt");
    case Folder::AllStart:
    case Folder::AllPrograms:
      return xdg_first_dir("XDG_DATA_DIRS", "/usr/local/share") + "/applications";
    case Folder::AllAutostart:
      return xdg_first_dir("XDG_CONFIG_DIRS", "/etc/xdg") + "/autostart";
    case Folder::SendTo:
    case Folder::ProgramFilesX86:
    case Folder::System:
    case Folder::Windows:
    case Folder::AllDesktop:
    case Folder::AllDocuments:
    case Folder::Favorites:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> parse_user_dirs(std::string_view text, std::string_view key,
                                           std::string_view home) {
  std::optional<std::string> result;  // the last valid line wins, as when the shell reads it
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = trim_left(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    if (line.substr(0, key.size()) != key) continue;
    line = trim_left(line.substr(key.size()));
    if (line.empty() || line.front() != '=') continue;
    line = trim_left(line.substr(1));
    if (line.empty() || line.front() != '"') continue;
    line.remove_prefix(1);

    std::string value;
    if (line.substr(0, 5) == "$HOME") {
      value = home;
      line.remove_prefix(5);
      if (!line.empty() && line.front() != '/' && line.front() != '"') continue;
    } else if (line.empty() || line.front() != '/') {
      continue;  // only $HOME-relative and absolute paths are allowed
    }
    bool closed = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      char c = line[i];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c == '\\') {
        if (++i == line.size()) break;
        c = line[i];
      }
      value.push_back(c);
    }
    if (closed && !value.empty()) result = std::move(value);
  }
  return result;
}

}  // namespace kovw::foundation
