// Files written under a temporary name and renamed into place: a completed file appears with
// its bytes, time and the user's permissions; an abandoned one leaves nothing behind and an
// existing target untouched.
#include "foundation/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kovw::foundation {
namespace {

namespace fs = std::filesystem;

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::span<const std::uint8_t> bytes_of(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::size_t entries_in(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

TEST(AtomicFile, CommitRenamesWithTimeAndUserPermissions) {
  QTemporaryDir dir;
  const std::string target = dir.path().toStdString() + "/out.bin";
  AtomicFile file;
  ASSERT_EQ(file.open(target), 0);
  EXPECT_FALSE(fs::exists(target));
  ASSERT_EQ(file.write(bytes_of("hello ")), 0);
  ASSERT_EQ(file.write(bytes_of("world")), 0);
  EXPECT_EQ(file.written(), 11u);
  ASSERT_EQ(file.commit(std::time_t{1000000000}), 0);
  EXPECT_EQ(read_all(target), "hello world");
  struct stat status {};
  ASSERT_EQ(::stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mtime, 1000000000);
  EXPECT_EQ(status.st_mode & S_IWOTH, 0u);
  EXPECT_NE(status.st_mode & S_IRUSR, 0u);
  EXPECT_EQ(entries_in(dir.path().toStdString()), 1u);
}

TEST(AtomicFile, AbandonedFileLeavesNothingAndKeepsTheOldTarget) {
  QTemporaryDir dir;
  const std::string target = dir.path().toStdString() + "/keep.txt";
  std::ofstream(target) << "old";
  {
    AtomicFile file;
    ASSERT_EQ(file.open(target), 0);
    ASSERT_EQ(file.write(bytes_of("partial new content")), 0);
  }  // destroyed without commit
  {
    AtomicFile file;
    ASSERT_EQ(file.open(target), 0);
    file.abort();
    EXPECT_NE(file.commit(), 0);
  }
  EXPECT_EQ(read_all(target), "old");
  EXPECT_EQ(entries_in(dir.path().toStdString()), 1u);
}

TEST(AtomicFile, MissingDirectoryFailsToOpen) {
  QTemporaryDir dir;
  AtomicFile file;
  EXPECT_EQ(file.open(dir.path().toStdString() + "/no/such/dir/x"), ENOENT);
  EXPECT_FALSE(file.is_open());
  EXPECT_EQ(file.write(bytes_of("x")), EBADF);
}

}  // namespace
}  // namespace kovw::foundation
