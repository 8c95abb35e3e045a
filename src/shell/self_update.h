#pragma once
// The workstation's own update: whether an offered version is taken up, the files beside the
// executable, the check of a downloaded updater, and the file steps of starting the updater,
// of the installation step (-i) and of the return to the previous version. Every file step
// that fails undoes the steps before it: the executable is always in its place and runnable,
// and the previous version ("kovw_old") is only replaced once its successor is in place.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace kovw::shell {

// An update is offered when the daemon's version is newer, unless -ou or workflow mode.
bool update_wanted(int offered_version, int running_version, bool no_auto_update, bool workflow);

// "V major.minor / patch" of a version word (0x070305 is "V 7.3 / 5").
std::string version_text(int version_word);

struct UpdateFiles {
  std::filesystem::path executable;      // the running program
  std::filesystem::path old_executable;  // "kovw_old": the previous version
  std::filesystem::path org_executable;  // "kovw_org": the version replaced by going back
  std::filesystem::path new_executable;  // "kovw_upd": what the installation step puts in place
  std::filesystem::path app_file;        // ".kovwapp" in the data directory: the executable's path
  std::filesystem::path updater;         // "upd/kovwupd" in the data directory
  std::filesystem::path updater_log;     // "kovwupd.log" in the data directory
};
UpdateFiles update_files(const std::filesystem::path& executable,
                         const std::filesystem::path& data_directory);

// Why `file` may not run as the updater: not an executable (ELF) of this machine's
// architecture, or not of the offered size. Empty when it may.
std::string updater_problem(const std::filesystem::path& file, std::uint64_t offered_size);

// The file operations of the steps; tests make one of them fail.
class UpdateFileOps {
 public:
  virtual ~UpdateFileOps() = default;
  // Each returns 0 or an errno value.
  virtual int rename(const std::filesystem::path& from, const std::filesystem::path& to);
  virtual int copy(const std::filesystem::path& from, const std::filesystem::path& to);
  virtual int remove(const std::filesystem::path& file);  // a missing file is no error
};

// What a step reports: 0 for success, else the message number and its arguments.
struct UpdateStepResult {
  int message = 0;  // 10063 (a move failed), 40299 (the updater did not start), 40296
  std::string from, to;
  int error = 0;
  explicit operator bool() const { return message == 0; }
};

// After a good download: keeps a copy of the running program as the previous version (the
// program itself stays where it is) and starts the updater with `start` (which returns 0 or
// an error). On any failure the previous version is what it was before.
UpdateStepResult start_updater(const UpdateFiles& files, UpdateFileOps& ops,
                               const std::function<int()>& start);

// The installation step (-i): "kovw_upd" becomes the program, the program "kovw_old".
UpdateStepResult install_new_version(const UpdateFiles& files, UpdateFileOps& ops);

// Going back: the program becomes "kovw_org", "kovw_old" the program. Message 40296 when there
// is no previous version.
UpdateStepResult restore_previous(const UpdateFiles& files, UpdateFileOps& ops);

// The updater's command line: -m the data directory, -p its log, -batch -debug.
std::string updater_command_line(const UpdateFiles& files,
                                 const std::filesystem::path& data_directory);

}  // namespace kovw::shell
