#include "shell/macro_archive.h"

#include <sys/stat.h>
#include <unzip.h>
#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace kovw::shell {

namespace {

namespace fs = std::filesystem;

constexpr unsigned kHostUnix = 3;  // "version made by" high byte of archives made on Unix

std::string temporary_name(const std::string& path) {
  return path + ".tmp";
}

bool add_file(zipFile zip, const fs::path& file, const std::string& name, std::string& error) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) {
    error = file.string() + ": " + std::strerror(errno);
    return false;
  }
  zip_fileinfo info{};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
  info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
  info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
  info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
  info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
  info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
  bool ok = zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1) == ZIP_OK;
  char block[16384];
  std::size_t n = 0;
  while (ok && (n = std::fread(block, 1, sizeof block, in)) > 0)
    ok = zipWriteInFileInZip(zip, block, static_cast<unsigned>(n)) == ZIP_OK;
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  if (zipCloseFileInZip(zip) != ZIP_OK) ok = false;
  if (!ok) error = "Fehler beim Packen von " + file.string();
  return ok;
}

bool is_link_entry(const unz_file_info64& info) {
  if ((info.version >> 8) != kHostUnix) return false;
  const unsigned mode = static_cast<unsigned>(info.external_fa >> 16);
  return S_ISLNK(mode);
}

// No part of `path` below `root` may be a link: a link already in the folder would take the
// file elsewhere.
bool passes_links(const fs::path& root, const fs::path& relative) {
  fs::path at = root;
  for (const fs::path& part : relative) {
    at /= part;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(at, ec))) return false;
  }
  return true;
}

}  // namespace

bool safe_archive_entry_name(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;  // a drive
  std::string part;
  const std::string trimmed = name.back() == '/' ? name.substr(0, name.size() - 1) : name;
  if (trimmed.empty()) return false;
  for (std::size_t i = 0; i <= trimmed.size(); ++i) {
    const char c = i < trimmed.size() ? trimmed[i] : '/';
    if (c == '/' || c == '\\') {
      if (part.empty() || part == "." || part == "..") return false;
      part.clear();
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20) return false;
    part += c;
  }
  return true;
}

bool pack_macro_directory(const std::string& directory, const std::string& zip_path,
                          std::string& error) {
  std::error_code ec;
  const fs::path root(directory);
  if (!fs::is_directory(root, ec)) {
    error = directory + ": kein Verzeichnis";
    return false;
  }
  const std::string temporary = temporary_name(zip_path);
  zipFile zip = zipOpen64(temporary.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) {
    error = temporary + ": " + std::strerror(errno);
    return false;
  }
  bool ok = true;
  const fs::path archive = fs::weakly_canonical(zip_path, ec);
  for (auto it = fs::recursive_directory_iterator(root, ec);
       ok && !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    if (entry.is_symlink() || !entry.is_regular_file()) continue;
    std::error_code same;
    if (fs::equivalent(entry.path(), archive, same) || entry.path().string() == temporary) continue;
    const std::string name = entry.path().lexically_relative(root).generic_string();
    ok = add_file(zip, entry.path(), name, error);
  }
  if (ec && ok) {
    error = directory + ": " + ec.message();
    ok = false;
  }
  if (zipClose(zip, nullptr) != ZIP_OK && ok) {
    error = temporary + ": Fehler beim Schließen";
    ok = false;
  }
  if (ok) {
    fs::rename(temporary, zip_path, ec);
    if (ec) {
      error = zip_path + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) fs::remove(temporary, ec);
  return ok;
}

bool unpack_macro_archive(const std::string& zip_path, const std::string& directory,
                          std::string& error, std::vector<std::string>* files,
                          const UnpackLimits& limits) {
  unzFile zip = unzOpen64(zip_path.c_str());
  if (zip == nullptr) {
    error = zip_path + ": keine lesbare ZIP-Datei";
    return false;
  }
  struct Entry {
    std::string name;
    bool folder;
  };
  std::vector<Entry> entries;
  bool ok = true;
  // First every entry is checked: a hostile archive leaves nothing behind.
  int at = unzGoToFirstFile(zip);
  while (ok && at == UNZ_OK) {
    unz_file_info64 info{};
    char name[1024];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.size_filename >= sizeof name) {
      error = zip_path + ": Eintrag nicht lesbar";
      ok = false;
      break;
    }
    const std::string entry_name(name);
    if (!safe_archive_entry_name(entry_name)) {
      error = zip_path + ": Eintrag \"" + entry_name + "\" verlässt das Verzeichnis";
      ok = false;
    } else if (is_link_entry(info)) {
      error = zip_path + ": Eintrag \"" + entry_name + "\" ist ein Verweis";
      ok = false;
    } else if (entries.size() >= limits.max_entries) {
      error = zip_path + ": zu viele Einträge";
      ok = false;
    } else {
      entries.push_back({entry_name, entry_name.back() == '/'});
    }
    if (ok) at = unzGoToNextFile(zip);
  }
  if (ok && at != UNZ_END_OF_LIST_OF_FILE) {
    error = zip_path + ": Inhaltsverzeichnis beschädigt";
    ok = false;
  }

  const fs::path root(directory);
  std::error_code ec;
  if (ok) fs::create_directories(root, ec);
  if (ec) {
    error = directory + ": " + ec.message();
    ok = false;
  }
  std::uint64_t total = 0;
  std::size_t index = 0;
  at = ok ? unzGoToFirstFile(zip) : UNZ_END_OF_LIST_OF_FILE;
  for (; ok && at == UNZ_OK; at = unzGoToNextFile(zip), ++index) {
    const Entry& entry = entries.at(index);
    std::string relative_text = entry.name;
    for (char& c : relative_text)
      if (c == '\\') c = '/';
    const fs::path relative = fs::path(relative_text).lexically_normal();
    const fs::path target = root / relative;
    if (!passes_links(root, relative)) {
      error = zip_path + ": Eintrag \"" + entry.name + "\" führt über einen Verweis";
      ok = false;
      break;
    }
    if (entry.folder) {
      fs::create_directories(target, ec);
      if (ec) {
        error = target.string() + ": " + ec.message();
        ok = false;
      }
      continue;
    }
    fs::create_directories(target.parent_path(), ec);
    if (ec || unzOpenCurrentFile(zip) != UNZ_OK) {
      error = ec ? target.string() + ": " + ec.message() : zip_path + ": Eintrag nicht lesbar";
      ok = false;
      break;
    }
    std::FILE* out = std::fopen(target.c_str(), "wb");
    if (out == nullptr) {
      error = target.string() + ": " + std::strerror(errno);
      unzCloseCurrentFile(zip);
      ok = false;
      break;
    }
    char block[16384];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, block, sizeof block)) > 0) {
      total += static_cast<std::uint64_t>(n);
      if (total > limits.max_total_bytes) {
        error = zip_path + ": entpackt zu groß";
        ok = false;
        break;
      }
      if (std::fwrite(block, 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) {
        error = target.string() + ": " + std::strerror(errno);
        ok = false;
        break;
      }
    }
    if (ok && n < 0) {
      error = zip_path + ": Eintrag \"" + entry.name + "\" beschädigt";
      ok = false;
    }
    if (std::fclose(out) != 0 && ok) {
      error = target.string() + ": " + std::strerror(errno);
      ok = false;
    }
    // A CRC fault shows when the entry is closed.
    if (unzCloseCurrentFile(zip) != UNZ_OK && ok) {
      error = zip_path + ": Eintrag \"" + entry.name + "\" beschädigt";
      ok = false;
    }
    if (!ok) fs::remove(target, ec);
    if (ok && files) files->push_back(relative.generic_string());
  }
  unzClose(zip);
  return ok;
}

}  // namespace kovw::shell
