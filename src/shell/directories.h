#pragma once
// The three directories fixed at start: the install directory (where the executable is),
// the local data directory (log, cache, drtab.ini) and the temporary directory.

#include <string>

namespace kovw::shell {

struct Directories {
  std::string install;
  std::string data;
  std::string temp;
  bool data_writable = false;
};

// The directory of the running executable; the temporary directory when it is unknown.
std::string install_directory();
// The system's temporary directory (TMPDIR, else /tmp), at most 258 characters.
std::string temporary_directory();
// The default data directory: the XDG data location with "kovw" appended
// (~/.local/share/kovw); empty when no home is known.
std::string default_data_directory();

// Fixes the data directory from the "Install Path" setting (expanded by the path rules;
// empty: the default), moves the old data of the install directory when the default
// directory is created by this start, and makes sure the directory is writable, falling
// back to TMP/kovw, TEMP/kovw, TMPDIR/kovw, /kovw and finally the temporary directory.
Directories fix_directories(const std::string& install_path_setting);

// True when a file can be created and deleted in `dir`.
bool directory_writable(const std::string& dir);

}  // namespace kovw::shell
