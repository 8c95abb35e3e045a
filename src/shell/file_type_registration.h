#pragma once
// Registration of the file type of parameter files (".kovw") and of the "kovw:" URL scheme.
//
// The entries are kept as a small registration script (the form of the Windows class
// registry): "[key]" opens a key, "@=value" sets its default value, "name=value" or
// "'name'=value" a named value, "#key" deletes a key. A value is a sequence of parts: "$$"
// is the running executable, 'text' is literal, <path> is a logical path; a value starting
// with any other character is a number stored as a 32-bit value.
//
// On Windows the script is applied below HKEY_CURRENT_USER\Software\Classes. Elsewhere the
// same entries produce a desktop entry, a shared-mime-info type for the extension and a
// handler for the URL scheme in the user's XDG directories.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovw::shell {

struct ScriptValuePart {
  enum class Kind { Executable, Literal, Path };
  Kind kind;
  std::string text;  // Literal: the text; Path: the logical path
};

struct ScriptLine {
  enum class Op { OpenKey, SetValue, DeleteKey };
  Op op;
  std::string key;         // the key opened or deleted; for SetValue the key opened last
  std::string value_name;  // SetValue: empty for the default value
  bool is_number = false;
  std::uint32_t number = 0;
  std::vector<ScriptValuePart> parts;
};

// Parses `script`; nullopt with `error` set (line number and reason) on a malformed line.
std::optional<std::vector<ScriptLine>> parse_registration_script(std::string_view script,
                                                                 std::string* error = nullptr);

// The script that registers the file type, and the one that removes it.
std::string_view registration_script();
std::string_view removal_script();

// The text of a string value: `executable` for "$$", literals as they are, logical paths
// expanded (nullopt when one cannot be expanded).
std::optional<std::string> script_value_text(const ScriptLine& line, std::string_view executable);

// The registration as this system's desktop needs it, drawn from the script's entries.
struct FileTypeEntries {
  std::string extension;                      // ".kovw"
  std::string class_name;                     // "HVKOVW.1"
  std::string content_type;                   // "application/kovw", as the script names it
  std::string description;                    // "KOVW Parameter"
  std::vector<ScriptValuePart> open_command;  // executable and arguments, %1 the file
};
std::optional<FileTypeEntries> file_type_entries(const std::vector<ScriptLine>& script);

struct RegistrationOptions {
  std::string executable;  // empty: the running executable
  bool notify = true;      // tell the desktop that associations changed
};

// `register_file_type`: mode 1 registers only when not registered yet, mode 0 removes the
// registration, any other mode registers unconditionally. Returns 0 when done, 1 when mode 1
// found it registered already, -1 on failure.
int register_file_type(int mode);
int register_file_type(int mode, const RegistrationOptions& options);

// Where the registration lives on this system (empty strings on Windows).
std::string desktop_entry_path();
std::string mime_package_path();
std::string mimeapps_list_path();

// The MIME type of parameter files on this desktop ("application/x-kovw") and the URL scheme.
inline constexpr const char* kSchemeMimeType = "x-scheme-handler/kovw";
inline constexpr const char* kDesktopEntryName = "kovw.desktop";

}  // namespace kovw::shell
