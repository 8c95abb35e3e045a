// The workstation's own update: when it is offered, the check of a downloaded updater, the
// download's temporary file, and the file steps with a failure injected at each of them.
#include "shell/self_update.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "net/link_names.h"
#include "shell/updater_download.h"

namespace kovw::shell::test {
namespace {

namespace fs = std::filesystem;

struct TempDir {
  TempDir() {
    char name[] = "/tmp/self_update.XXXXXX";
    path = mkdtemp(name);
  }
  ~TempDir() {
    std::error_code code;
    fs::remove_all(path, code);
  }
  fs::path path;
};

void write_file(const fs::path& file, const std::string& contents) {
  std::ofstream(file, std::ios::binary) << contents;
}
std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
std::vector<std::string> names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SelfUpdate, OfferedOnlyWhenNewerAndAllowed) {
  struct Case {
    int offered, running;
    bool no_auto_update, workflow, wanted;
  } cases[] = {{0x03020001, 0x03010000, false, false, true},
               {0x03010000, 0x03010000, false, false, false},
               {0x03000000, 0x03010000, false, false, false},
               {0x03020001, 0x03010000, true, false, false},
               {0x03020001, 0x03010000, false, true, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(update_wanted(c.offered, c.running, c.no_auto_update, c.workflow), c.wanted)
        << std::hex << c.offered;
  }
  EXPECT_EQ(version_text(0x03020B), "V 3.2 / 11");
}

TEST(SelfUpdate, TheUpdaterMustBeAProgramOfThisMachineOfTheOfferedSize) {
  TempDir dir;
  // A program of this machine: the test itself.
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const auto size = fs::file_size(self);
  EXPECT_EQ(updater_problem(self, size), "");
  EXPECT_NE(updater_problem(self, size - 1), "");
  // A script, a short file, a program for another machine, no file.
  write_file(dir.path / "script", "#!/bin/sh\nrm -rf /\n");
  EXPECT_NE(updater_problem(dir.path / "script", 19), "");
  write_file(dir.path / "short",
             "\x7F"
             "ELF");
  EXPECT_NE(updater_problem(dir.path / "short", 4), "");
  std::string other = read_file(self).substr(0, 64);
  other[18] = static_cast<char>(other[18] == 40 ? 62 : 40);  // ARM or x86-64, not ours
  other[19] = 0;
  write_file(dir.path / "other", other);
  EXPECT_NE(updater_problem(dir.path / "other", 64), "");
  EXPECT_NE(updater_problem(dir.path / "missing", 0), "");
}

TEST(SelfUpdate, DownloadKeepsOnlyAFinishedFile) {
  TempDir dir;
  const fs::path target = dir.path / "upd" / "kovwupd";
  const std::vector<std::uint8_t> half(4, 'x');
  {
    UpdaterDownload download(target, 8);
    ASSERT_EQ(download.open(), 0);
    EXPECT_EQ(download.take(net::KWK_KDATA, half), UpdaterDownload::State::Receiving);
    EXPECT_EQ(download.take(net::KWK_KDATA, half), UpdaterDownload::State::Receiving);
    EXPECT_FALSE(fs::exists(target));  // not before the end
    EXPECT_EQ(download.take(net::KWK_KOMOK, {}), UpdaterDownload::State::Done);
    EXPECT_EQ(read_file(target), "xxxxxxxx");
  }
  EXPECT_TRUE(fs::exists(target));
  fs::remove(target);

  // Cancelled: the rest is read and dropped, the end deletes.
  {
    UpdaterDownload download(target, 8);
    ASSERT_EQ(download.open(), 0);
    download.take(net::KWK_KDATA, half);
    download.cancel();
    download.take(net::KWK_KDATA, half);
    EXPECT_EQ(download.take(net::KWK_KOMOK, {}), UpdaterDownload::State::Cancelled);
  }
  EXPECT_TRUE(names_in(target.parent_path()).empty());

  // The daemon refuses: its text; more than offered: refused; the link breaks: nothing stays.
  {
    UpdaterDownload download(target, 8);
    ASSERT_EQ(download.open(), 0);
    const std::vector<std::uint8_t> refusal = {0x00, 0x04, 0,   0,   0,   5,   0x00,
                                               0x06, 'n',  'o', 'n', 'e', '!', 0};
    download.take(net::KWK_KDATA, half);
    EXPECT_EQ(download.take(net::KWK_KOMFAIL, refusal), UpdaterDownload::State::Failed);
    EXPECT_EQ(download.message(), 10064);
  }
  {
    UpdaterDownload download(target, 6);
    ASSERT_EQ(download.open(), 0);
    download.take(net::KWK_KDATA, half);
    EXPECT_EQ(download.take(net::KWK_KDATA, half), UpdaterDownload::State::Failed);
  }
  {
    UpdaterDownload download(target, 8);
    ASSERT_EQ(download.open(), 0);
    download.take(net::KWK_KDATA, half);
  }
  EXPECT_TRUE(names_in(target.parent_path()).empty());
}

// File operations of which the `fail_at`-th fails (1 = the first).
class FailingOps : public UpdateFileOps {
 public:
  explicit FailingOps(int fail_at) : fail_at_(fail_at) {}
  int rename(const fs::path& from, const fs::path& to) override {
    return next() ? EIO : UpdateFileOps::rename(from, to);
  }
  int copy(const fs::path& from, const fs::path& to) override {
    return next() ? EIO : UpdateFileOps::copy(from, to);
  }
  int remove(const fs::path& file) override { return next() ? EIO : UpdateFileOps::remove(file); }
  int count = 0;

 private:
  bool next() { return ++count == fail_at_; }
  int fail_at_;
};

// An install directory with the program ("v1"), its previous version ("v0") and a new one
// ("v2").
struct InstallDir {
  InstallDir() {
    write_file(dir.path / "kovw", "v1");
    write_file(dir.path / "kovw_old", "v0");
    write_file(dir.path / "kovw_upd", "v2");
    files = update_files(dir.path / "kovw", dir.path / "data");
  }
  std::string program() const { return read_file(files.executable); }
  std::string old() const { return read_file(files.old_executable); }
  TempDir dir;
  UpdateFiles files;
};

TEST(SelfUpdate, StartingTheUpdaterUndoesEveryStepThatFails) {
  // Operations before the updater starts, then a failing start.
  for (int fail_at = 1; fail_at <= 4; ++fail_at) {
    SCOPED_TRACE(fail_at);
    InstallDir install;
    FailingOps ops(fail_at <= 3 ? fail_at : 0);  // 4: every operation works, the start fails
    int started = 0;
    const UpdateStepResult result = start_updater(install.files, ops, [&] {
      ++started;
      return fail_at == 4 ? ENOENT : 0;
    });
    if (fail_at <= 3) {
      EXPECT_EQ(result.message, 10063);
      EXPECT_EQ(started, 0);
    } else {
      EXPECT_EQ(result.message, 40299);
    }
    EXPECT_EQ(install.program(), "v1");
    EXPECT_EQ(install.old(), "v0");
    EXPECT_EQ(names_in(install.dir.path),
              (std::vector<std::string>{"kovw", "kovw_old", "kovw_upd"}));
  }
  InstallDir install;
  UpdateFileOps ops;
  ASSERT_TRUE(start_updater(install.files, ops, [] { return 0; }));
  EXPECT_EQ(install.program(), "v1");  // still runnable until the updater replaces it
  EXPECT_EQ(install.old(), "v1");
  EXPECT_EQ(names_in(install.dir.path), (std::vector<std::string>{"kovw", "kovw_old", "kovw_upd"}));
}

TEST(SelfUpdate, InstallationStepUndoesEveryStepThatFails) {
  for (int fail_at = 1; fail_at <= 4; ++fail_at) {
    SCOPED_TRACE(fail_at);
    InstallDir install;
    FailingOps ops(fail_at);
    const UpdateStepResult result = install_new_version(install.files, ops);
    EXPECT_EQ(result.message, 10063);
    EXPECT_EQ(install.program(), "v1");
    EXPECT_EQ(install.old(), "v0");
    EXPECT_EQ(names_in(install.dir.path),
              (std::vector<std::string>{"kovw", "kovw_old", "kovw_upd"}));
  }
  InstallDir install;
  UpdateFileOps ops;
  ASSERT_TRUE(install_new_version(install.files, ops));
  EXPECT_EQ(install.program(), "v2");
  EXPECT_EQ(install.old(), "v1");
  EXPECT_EQ(names_in(install.dir.path), (std::vector<std::string>{"kovw", "kovw_old"}));
}

TEST(SelfUpdate, GoingBackUndoesEveryStepThatFails) {
  for (int fail_at = 1; fail_at <= 3; ++fail_at) {
    SCOPED_TRACE(fail_at);
    InstallDir install;
    write_file(install.files.org_executable, "vX");
    FailingOps ops(fail_at);
    EXPECT_EQ(restore_previous(install.files, ops).message, 10063);
    EXPECT_EQ(install.program(), "v1");
    EXPECT_EQ(install.old(), "v0");
    EXPECT_EQ(read_file(install.files.org_executable), "vX");
  }
  InstallDir install;
  UpdateFileOps ops;
  ASSERT_TRUE(restore_previous(install.files, ops));
  EXPECT_EQ(install.program(), "v0");
  EXPECT_EQ(read_file(install.files.org_executable), "v1");
  EXPECT_FALSE(fs::exists(install.files.old_executable));
  // Without a previous version only that is said.
  EXPECT_EQ(restore_previous(install.files, ops).message, 40296);
  EXPECT_EQ(install.program(), "v0");
}

TEST(SelfUpdate, UpdaterCommandLine) {
  const UpdateFiles files = update_files("/opt/kovw/kovw", "/home/a/.kovw");
  EXPECT_EQ(updater_command_line(files, "/home/a/.kovw"),
            "\"/home/a/.kovw/upd/kovwupd\" -m\"/home/a/.kovw\" -p\"/home/a/.kovw/kovwupd.log\" "
            "-batch -debug");
}

}  // namespace
}  // namespace kovw::shell::test
