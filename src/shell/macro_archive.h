#pragma once
// Zip archives of macros: a macro's folder packed into one archive and an archive from the host
// unpacked into a macro's folder, in-process. An archive's entry names come from outside: an
// entry that would leave the folder (an absolute name, a drive, "..") or that is a link is
// refused, and then nothing of the archive is unpacked.

#include <cstdint>
#include <string>
#include <vector>

namespace kovw::shell {

// Packs the regular files below `directory` (names relative to it, "/" separated; links are
// left out) into the archive `zip_path`, which is written whole or not at all. An archive
// inside `directory` does not pack itself. False with `error` set on failure.
bool pack_macro_directory(const std::string& directory, const std::string& zip_path,
                          std::string& error);

struct UnpackLimits {
  std::size_t max_entries = 10000;
  std::uint64_t max_total_bytes = 1ull << 30;  // unpacked, all entries together
};

// Unpacks `zip_path` into `directory` (made when missing), overwriting files of the same name.
// `files` receives the names unpacked. False with `error` set when the archive cannot be read,
// holds a hostile entry, or exceeds the limits.
bool unpack_macro_archive(const std::string& zip_path, const std::string& directory,
                          std::string& error, std::vector<std::string>* files = nullptr,
                          const UnpackLimits& limits = {});

// True when an archive entry's name stays inside the folder it is unpacked into: relative, no
// drive, no "." or ".." part, no empty part, no control characters.
bool safe_archive_entry_name(const std::string& name);

}  // namespace kovw::shell
