#include "shell/self_update.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace kovw::shell {

namespace fs = std::filesystem;

namespace {

// The ELF machine of the executables this program runs.
constexpr int kThisMachine =
#if defined(__x86_64__)
    62;
#elif defined(__aarch64__)
    183;
#elif defined(__i386__)
    3;
#elif defined(__arm__)
    40;
#elif defined(__riscv)
    243;
#elif defined(__powerpc64__)
    21;
#else
    -1;
#endif

int error_of(const std::error_code& code) {
  return code ? (code.value() ? code.value() : EIO) : 0;
}

fs::path with_suffix(const fs::path& file, const char* suffix) {
  return fs::path(file.string() + suffix);
}

UpdateStepResult move_failed(const fs::path& from, const fs::path& to, int error) {
  return {10063, from.string(), to.string(), error};
}

}  // namespace

int UpdateFileOps::rename(const fs::path& from, const fs::path& to) {
  std::error_code code;
  fs::rename(from, to, code);
  return error_of(code);
}

int UpdateFileOps::copy(const fs::path& from, const fs::path& to) {
  std::error_code code;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, code);
  return error_of(code);
}

int UpdateFileOps::remove(const fs::path& file) {
  std::error_code code;
  fs::remove(file, code);
  return error_of(code);
}

bool update_wanted(int offered_version, int running_version, bool no_auto_update, bool workflow) {
  return offered_version > running_version && !no_auto_update && !workflow;
}

std::string version_text(int version_word) {
  char text[48];
  const auto word = static_cast<std::uint32_t>(version_word);
  std::snprintf(text, sizeof text, "V %u.%u / %u", (word >> 16) & 0xFF, (word >> 8) & 0xFF,
                word & 0xFF);
  return text;
}

UpdateFiles update_files(const fs::path& executable, const fs::path& data_directory) {
  const fs::path dir = executable.parent_path();
  return {executable,
          dir / "kovw_old",
          dir / "kovw_org",
          dir / "kovw_upd",
          data_directory / ".kovwapp",
          data_directory / "upd" / "kovwupd",
          data_directory / "kovwupd.log"};
}

std::string updater_problem(const fs::path& file, std::uint64_t offered_size) {
  std::error_code code;
  const std::uintmax_t size = fs::file_size(file, code);
  if (code) return "cannot read " + file.string();
  if (size != offered_size) {
    return "size " + std::to_string(size) + " instead of " + std::to_string(offered_size);
  }
  std::ifstream in(file, std::ios::binary);
  unsigned char header[20] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  if (in.gcount() < static_cast<std::streamsize>(sizeof header) || header[0] != 0x7F ||
      header[1] != 'E' || header[2] != 'L' || header[3] != 'F') {
    return "not an executable program";
  }
  const bool little = header[5] == 1;
  const int machine = little ? header[18] | header[19] << 8 : header[19] | header[18] << 8;
  const int bits = header[4] == 2 ? 64 : 32;
  if (machine != kThisMachine || bits != static_cast<int>(sizeof(void*) * 8)) {
    return "a program for another machine";
  }
  return {};
}

UpdateStepResult start_updater(const UpdateFiles& files, UpdateFileOps& ops,
                               const std::function<int()>& start) {
  // A copy of the program becomes the previous version; the program stays in place (a running
  // program's file may be replaced later by the updater).
  const fs::path copy = with_suffix(files.old_executable, ".new");
  const fs::path kept = with_suffix(files.old_executable, ".keep");
  std::error_code code;
  const bool had_old = fs::exists(files.old_executable, code);
  if (const int error = ops.copy(files.executable, copy)) {
    ops.remove(copy);
    return move_failed(files.executable, files.old_executable, error);
  }
  if (had_old) {
    if (const int error = ops.rename(files.old_executable, kept)) {
      ops.remove(copy);
      return move_failed(files.old_executable, kept, error);
    }
  }
  if (const int error = ops.rename(copy, files.old_executable)) {
    ops.remove(copy);
    if (had_old) ops.rename(kept, files.old_executable);
    return move_failed(files.executable, files.old_executable, error);
  }
  if (const int error = start()) {
    // Nothing was updated: the previous version is the one from before.
    if (had_old) {
      ops.rename(kept, files.old_executable);
    } else {
      ops.remove(files.old_executable);
    }
    return {40299, files.updater.string(), {}, error};
  }
  if (had_old) ops.remove(kept);
  return {};
}

UpdateStepResult install_new_version(const UpdateFiles& files, UpdateFileOps& ops) {
  const fs::path incoming = with_suffix(files.executable, ".new");
  const fs::path kept = with_suffix(files.old_executable, ".keep");
  std::error_code code;
  const bool had_old = fs::exists(files.old_executable, code);
  // The new version is copied beside the program first: a failed copy leaves all as it was.
  if (const int error = ops.copy(files.new_executable, incoming)) {
    ops.remove(incoming);
    return move_failed(files.new_executable, files.executable, error);
  }
  if (had_old) {
    if (const int error = ops.rename(files.old_executable, kept)) {
      ops.remove(incoming);
      return move_failed(files.old_executable, kept, error);
    }
  }
  if (const int error = ops.rename(files.executable, files.old_executable)) {
    ops.remove(incoming);
    if (had_old) ops.rename(kept, files.old_executable);
    return move_failed(files.executable, files.old_executable, error);
  }
  if (const int error = ops.rename(incoming, files.executable)) {
    ops.rename(files.old_executable, files.executable);
    ops.remove(incoming);
    if (had_old) ops.rename(kept, files.old_executable);
    return move_failed(files.new_executable, files.executable, error);
  }
  if (had_old) ops.remove(kept);
  ops.remove(files.new_executable);
  return {};
}

UpdateStepResult restore_previous(const UpdateFiles& files, UpdateFileOps& ops) {
  std::error_code code;
  if (!fs::exists(files.old_executable, code)) return {40296, {}, {}, 0};
  const fs::path kept = with_suffix(files.org_executable, ".keep");
  const bool had_org = fs::exists(files.org_executable, code);
  if (had_org) {
    if (const int error = ops.rename(files.org_executable, kept))
      return move_failed(files.org_executable, kept, error);
  }
  if (const int error = ops.rename(files.executable, files.org_executable)) {
    if (had_org) ops.rename(kept, files.org_executable);
    return move_failed(files.executable, files.org_executable, error);
  }
  if (const int error = ops.rename(files.old_executable, files.executable)) {
    ops.rename(files.org_executable, files.executable);
    if (had_org) ops.rename(kept, files.org_executable);
    return move_failed(files.old_executable, files.executable, error);
  }
  if (had_org) ops.remove(kept);
  return {};
}

std::string updater_command_line(const UpdateFiles& files, const fs::path& data_directory) {
  return "\"" + files.updater.string() + "\" -m\"" + data_directory.string() + "\" -p\"" +
         files.updater_log.string() + "\" -batch -debug";
}

}  // namespace kovw::shell
