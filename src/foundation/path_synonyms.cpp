#include "foundation/path_synonyms.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <vector>

#include "foundation/log.h"
#include "foundation/windows_folders.h"

namespace kovw::foundation {

namespace {

constexpr char kSeparator = '/';
constexpr std::string_view kWindowsPrefix = "WIN:";
// A browser's profiles.ini lists a handful of profiles; anything larger is not one.
constexpr std::size_t kProfilesIniMaxBytes = 256 * 1024;

bool is_separator(char c) {
  return c == '/' || c == '\\';
}

// Treats the text as a C string: everything from a zero byte on is ignored.
std::string_view up_to_zero(std::string_view text) {
  return text.substr(0, std::min(text.size(), text.find('\0')));
}

// The value of an environment variable named `name`; nullopt when unset, empty, or when the
// name cannot be one.
std::optional<std::string> env_value(std::string_view name) {
  if (name.empty() || name.find('=') != std::string_view::npos) return std::nullopt;
  std::string key(name);  // zero bytes were cut off by the callers
  const char* value = std::getenv(key.c_str());
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

void to_separators(std::string& path) {
  std::replace(path.begin(), path.end(), '\\', kSeparator);
}

bool entry_exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool is_directory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The target of a symbolic link "<dir>.lnk" that points to a directory, as a path usable
// from here (a relative target is taken relative to the link's folder).
std::optional<std::string> folder_link_target(const std::string& dir) {
  std::string link = dir + ".lnk";
  struct stat st {};
  if (::lstat(link.c_str(), &st) != 0 || !S_ISLNK(st.st_mode) || !is_directory(link)) {
    return std::nullopt;
  }
  std::vector<char> buffer(kPathMax + 1);
  ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) > kPathMax) return std::nullopt;
  std::string target(buffer.data(), static_cast<std::size_t>(length));
  if (target.front() != kSeparator) {
    std::size_t slash = dir.rfind(kSeparator);
    if (slash != std::string::npos) target = dir.substr(0, slash + 1) + target;
  }
  return target;
}

// Folder shortcuts: a path that does not exist, one of whose leading directories is missing
// but has a symbolic link "<dir>.lnk" to a directory beside it, continues in the link's
// target. The directories are tried from the longest to the shortest; only symbolic links
// are followed (a file called "<dir>.lnk" of any other kind is ignored, never parsed).
std::string resolve_folder_links(const std::string& path) {
  if (path.empty() || entry_exists(path)) return path;
  for (std::size_t end = path.rfind(kSeparator); end != std::string::npos && end > 0;
       end = path.rfind(kSeparator, end - 1)) {
    std::string dir = path.substr(0, end);
    if (dir.back() == kSeparator || is_directory(dir)) continue;
    if (auto target = folder_link_target(dir)) return *target + path.substr(end);
  }
  return path;
}

std::optional<std::string> synonym_value(std::string_view synonym, int flags) {
  if (flags & kPathWindowsFolderFirst) {
    if (auto folder = windows_folder(0, synonym)) return folder;
  }
  if (synonym.substr(0, kWindowsPrefix.size()) == kWindowsPrefix) {
    if (auto folder = windows_folder(0, synonym.substr(kWindowsPrefix.size()))) return folder;
  }
  return env_value(synonym);
}

std::mutex& provider_mutex() {
  static std::mutex mutex;
  return mutex;
}

std::function<std::string()>& provider_slot() {
  static std::function<std::string()> provider;
  return provider;
}

std::optional<std::string> install_path() {
  std::function<std::string()> provider;
  {
    std::lock_guard lock(provider_mutex());
    provider = provider_slot();
  }
  if (!provider) return std::nullopt;
  std::string path = provider();
  if (path.empty()) return std::nullopt;
  return path;
}

std::optional<std::string> browser_dir() {
  auto home = home_directory();
  if (!home) return std::nullopt;
  return *home + "/.mozilla";
}

// The per-user plug-in folder of the browser, when the browser has been used by this user.
std::optional<std::string> browser_plugin_dir() {
  auto dir = browser_dir();
  if (!dir || !is_directory(*dir + "/firefox")) return std::nullopt;
  return *dir + "/plugins";
}

std::optional<std::string> browser_profile_dir() {
  auto dir = browser_dir();
  if (!dir) return std::nullopt;
  std::string profiles_dir = *dir + "/firefox";
  std::string ini_path = profiles_dir + "/profiles.ini";
  std::ifstream in(ini_path, std::ios::binary);
  if (!in) {
    log_printf("Die Profildatei [%s] kann nicht geoeffnet werden", ini_path.c_str());
    return std::nullopt;
  }
  std::string text(kProfilesIniMaxBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  auto profile = parse_browser_profiles(text, profiles_dir);
  if (!profile) log_printf("Es konnte kein Default-Profil erkannt werden.");
  return profile;
}

// The value of a %NAME% reference: the environment first, then the table of names.
std::optional<std::string> name_value(std::string_view name) {
  if (auto value = env_value(name)) return value;
  const auto table = expansion_table();
  auto row = std::find_if(table.begin(), table.end(),
                          [&](const ExpansionRow& r) { return r.name == name; });
  if (row == table.end()) return std::nullopt;
  switch (row->code) {
    case kExpandMozillaPlugin:
      return browser_plugin_dir();
    case kExpandInstallDir:
      return install_path();
    case kExpandMozillaProfile:
      return browser_profile_dir();
    case kExpandIePath:
    case kExpandOperaPlugin:
      return std::nullopt;  // no counterpart here
    default:
      break;
  }
  auto folder = folder_of_expansion_code(row->code);
  if (!folder) return std::nullopt;
  return folder_path(*folder);
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::optional<std::string> resolve_path(std::string_view source, int limit, int flags) {
  source = up_to_zero(source);
  std::size_t count = source.size();
  if (limit > 0) count = std::min(count, static_cast<std::size_t>(limit));

  // Read the source as the limit says: quotes toggle the inside state and are dropped,
  // separators become '/', and the synonym ends at the first separator or dot.
  std::string work;
  bool quoted = false;
  bool inside = false;
  std::size_t synonym_end = std::string::npos;
  for (std::size_t i = 0; i < count; ++i) {
    char c = source[i];
    if (c == '"') {
      inside = !inside;
      quoted = true;
      continue;
    }
    if (!inside && c == ' ') {
      if (limit == kPathFirstWord) break;
      if (limit == kPathDoubleBlank && i + 1 < count && source[i + 1] == ' ') break;
    }
    if (is_separator(c)) c = kSeparator;
    if ((c == kSeparator || c == '.') && synonym_end == std::string::npos) {
      synonym_end = work.size();
    }
    work.push_back(c);  // bounded by the source; the result's length is checked below
  }
  while (!work.empty() && work.back() == ' ') work.pop_back();
  std::size_t synonym_length = std::min(synonym_end, work.size());

  std::string path;
  std::optional<std::string> value;
  if (synonym_length > 0)
    value = synonym_value(std::string_view(work).substr(0, synonym_length), flags);
  if (value) {
    if (value->size() + (work.size() - synonym_length) > kPathMax) return std::nullopt;
    path = *value + work.substr(synonym_length);
  } else {
    if (work.size() > kPathMax) return std::nullopt;
    path = std::move(work);
  }
  to_separators(path);

  // Links are followed on the bare path; the quotes are added afterwards.
  if (!(flags & kPathNoShortcuts)) path = resolve_folder_links(path);

  if ((flags & kPathKeepQuotes) && quoted) path = '"' + path + '"';
  if ((flags & kPathQuoteIfBlank) && path.find(' ') != std::string::npos &&
      (path.empty() || path.front() != '"')) {
    path = '"' + path + '"';
  }
  if (path.size() > kPathMax) return std::nullopt;
  return path;
}

std::optional<std::string> windows_folder(int key, std::string_view name) {
  const auto table = windows_folder_table();
  auto row = std::find_if(table.begin(), table.end(), [&](const WindowsFolderRow& r) {
    return key != 0 ? r.key == key : r.name == name;
  });
  if (row == table.end()) return std::nullopt;
  auto path = folder_path(row->folder);
  if (!path || path->size() > kPathMax) return std::nullopt;
  return path;
}

std::optional<std::string> expand_names(std::string_view source, bool* replaced) {
  if (replaced) *replaced = false;
  source = up_to_zero(source);
  std::string out;
  bool any = false;
  std::size_t i = 0;
  while (i < source.size()) {
    std::size_t percent = source.find('%', i);
    out.append(source.substr(i, percent - i));  // npos: the rest
    if (percent == std::string_view::npos) break;
    std::size_t close = source.find('%', percent + 1);
    if (close == std::string_view::npos) {  // no closing sign: the rest as written
      out.append(source.substr(percent));
      break;
    }
    if (close == percent + 1) {
      out.push_back('%');
    } else if (auto value = name_value(source.substr(percent + 1, close - percent - 1))) {
      out.append(*value);
      any = true;
    } else {
      out.append(source.substr(percent, close - percent + 1));
    }
    i = close + 1;
    if (out.size() > kPathMax) return std::nullopt;
  }
  if (out.size() > kPathMax) return std::nullopt;
  if (replaced) *replaced = any;
  return out;
}

void set_install_path_provider(std::function<std::string()> provider) {
  std::lock_guard lock(provider_mutex());
  provider_slot() = std::move(provider);
}

std::optional<std::string> parse_browser_profiles(std::string_view ini_text,
                                                  std::string_view profiles_dir) {
  struct Profile {
    std::string path;
    std::optional<bool> relative;
    bool is_default = false;
  };
  std::vector<Profile> profiles;
  std::string install_default;
  enum class Section { Other, Profile, Install } section = Section::Other;

  while (!ini_text.empty()) {
    std::size_t end = ini_text.find('\n');
    std::string_view line = trim(ini_text.substr(0, end));
    ini_text.remove_prefix(end == std::string_view::npos ? ini_text.size() : end + 1);

    if (!line.empty() && line.front() == '[') {
      if (line.substr(0, 8) == "[Profile") {
        section = Section::Profile;
        profiles.emplace_back();
      } else if (line.substr(0, 8) == "[Install") {
        section = Section::Install;
      } else {
        section = Section::Other;
      }
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value = trim(line.substr(equals + 1));
    if (section == Section::Profile) {
      Profile& profile = profiles.back();
      if (key == "Path") profile.path = value;
      if (key == "IsRelative") profile.relative = value == "1";
      if (key == "Default") profile.is_default = value == "1";
    } else if (section == Section::Install && key == "Default" && install_default.empty()) {
      install_default = value;
    }
  }
  std::erase_if(profiles, [](const Profile& p) { return p.path.empty(); });

  const Profile* chosen = nullptr;
  if (!install_default.empty()) {
    auto it = std::find_if(profiles.begin(), profiles.end(),
                           [&](const Profile& p) { return p.path == install_default; });
    if (it != profiles.end()) chosen = &*it;
  }
  if (!chosen) {
    auto it = std::find_if(profiles.begin(), profiles.end(),
                           [](const Profile& p) { return p.is_default; });
    if (it != profiles.end()) chosen = &*it;
  }
  if (!chosen && profiles.size() == 1) chosen = &profiles.front();
  if (!chosen) return std::nullopt;

  std::string path = chosen->path;
  to_separators(path);
  bool relative = chosen->relative.value_or(path.front() != kSeparator);
  if (relative) path = std::string(profiles_dir) + kSeparator + path;
  return path;
}

}  // namespace kovw::foundation
