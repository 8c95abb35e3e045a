// The local file cache: the local names of host files, the freshness rule within a run and
// across restarts, refused names that would leave the cache, and the lock that keeps two
// fetchers (threads or processes) from writing one file.
#include "shell/file_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "foundation/atomic_file.h"

namespace kovw::shell {
namespace {

namespace fs = std::filesystem;

TEST(FileCache, LocalNames) {
  const struct {
    const char* host;
    const char* extension;
    const char* local;
  } cases[] = {
      {"/usr/pics/a b.pcx", "", "~usr~pics~a_b.pcx"},
      {"C:\\x#1~y", "", "C#~x##1~~y"},
      {"50%", "", "50%"},
      {"sound", "wav", "sound.wav"},
      {"sound.wav", "wav", "sound.wav"},
      {"../x", "", "..~x"},
  };
  for (const auto& c : cases) EXPECT_EQ(cache_local_name(c.host, c.extension), c.local) << c.host;
  const std::string long_name(300, 'n');
  EXPECT_EQ(cache_local_name(long_name).size(), kCacheNameMax);
  const std::string cut = cache_local_name(long_name, "ico");
  EXPECT_EQ(cut.size(), kCacheNameMax);
  EXPECT_EQ(cut.substr(cut.size() - 4), ".ico");
}

void write_file(const std::string& path, const char* text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(FileCache, CurrentWithinARunFetchedAgainAfterARestart) {
  QTemporaryDir dir;
  const std::string data = dir.path().toStdString();
  const std::time_t first_run = 1'700'000'000;
  CacheEntry entry = cache_lookup(data, "/pics/logo", "pcx", first_run, "host1");
  ASSERT_EQ(entry.state, CacheState::Fetch);
  EXPECT_EQ(entry.local_path, data + "/cache/host1/~pics~logo.pcx");
  write_file(entry.local_path, "picture");
  cache_done(entry, true);
  EXPECT_EQ(entry.state, CacheState::Current);

  EXPECT_EQ(cache_lookup(data, "/pics/logo", "pcx", first_run, "host1").state, CacheState::Current);
  // Another host's group has its own copy.
  EXPECT_EQ(cache_lookup(data, "/pics/logo", "pcx", first_run, "host2").state, CacheState::Fetch);
  // Stamp 0 (the shell's own sounds): any existing file is current.
  EXPECT_EQ(cache_lookup(data, "/pics/logo", "pcx", 0, "host1").state, CacheState::Current);
  // The next run starts later: the file is older than its stamp. A fetch that is given up
  // (the entry released without completion) removes the stale file.
  EXPECT_EQ(cache_lookup(data, "/pics/logo", "pcx", first_run + 60, "host1").state,
            CacheState::Fetch);
  EXPECT_FALSE(fs::exists(entry.local_path));
}

TEST(FileCache, FailedOrEmptyFetchLeavesNoFile) {
  QTemporaryDir dir;
  const std::string data = dir.path().toStdString();
  CacheEntry failed = cache_lookup(data, "a", "", 100, "g");
  write_file(failed.local_path, "half");
  cache_done(failed, false);
  EXPECT_FALSE(fs::exists(failed.local_path));

  CacheEntry empty = cache_lookup(data, "b", "", 100, "g");
  write_file(empty.local_path, "");
  cache_done(empty, true);  // an empty file is no cache entry
  EXPECT_EQ(empty.state, CacheState::Failed);
  EXPECT_FALSE(fs::exists(empty.local_path));

  {
    CacheEntry abandoned = cache_lookup(data, "c", "", 100, "g");
    write_file(abandoned.local_path, "never completed");
  }
  EXPECT_FALSE(fs::exists(data + "/cache/g/c"));
}

TEST(FileCache, HostileNamesAreRefused) {
  QTemporaryDir dir;
  const std::string data = dir.path().toStdString();
  for (const char* group : {"..", ".", "", "a/b", "/etc"}) {
    CacheEntry entry = cache_lookup(data, "x", "", 0, group);
    EXPECT_EQ(entry.state, CacheState::Failed) << group;
    EXPECT_FALSE(entry.error.empty());
  }
  for (const char* name : {"..", "."}) {
    EXPECT_EQ(cache_lookup(data, name, "", 0, "g").state, CacheState::Failed) << name;
  }
  // Separators in host names are replaced, so every accepted name stays in its group.
  for (const char* name : {"../../x", "/etc/passwd", "a\\..\\..\\b"}) {
    CacheEntry entry = cache_lookup(data, name, "", 0, "g");
    ASSERT_EQ(entry.state, CacheState::Fetch) << name;
    EXPECT_EQ(fs::path(entry.local_path).parent_path(), fs::path(data + "/cache/g")) << name;
  }
  EXPECT_FALSE(fs::exists(data + "/x"));
}

TEST(FileCache, SecondFetcherWaitsAndThenFindsTheFileCurrent) {
  QTemporaryDir dir;
  const std::string data = dir.path().toStdString();
  CacheEntry first = cache_lookup(data, "shared", "", 500, "g");
  ASSERT_EQ(first.state, CacheState::Fetch);

  // While the first holds the lock, a second one gives up after its wait.
  CacheEntry impatient = cache_lookup(data, "shared", "", 500, "g", std::chrono::milliseconds(50));
  EXPECT_EQ(impatient.state, CacheState::Failed);
  EXPECT_NE(impatient.error.find("not obtained"), std::string::npos);

  std::atomic<int> second_state{-1};
  std::thread second([&] {
    CacheEntry entry = cache_lookup(data, "shared", "", 500, "g", std::chrono::seconds(10));
    second_state = static_cast<int>(entry.state);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(second_state.load(), -1);  // still waiting
  write_file(first.local_path, "content");
  cache_done(first, true);
  second.join();
  EXPECT_EQ(second_state.load(), static_cast<int>(CacheState::Current));
}

// Two processes fetch the same file at once: exactly one fetches, the other finds it current,
// and the file holds one writer's complete content.
TEST(FileCache, TwoProcessesFetchTheSameFileOnce) {
  QTemporaryDir dir;
  const std::string data = dir.path().toStdString();
  const std::string marker = data + "/fetches";
  pid_t children[2];
  for (pid_t& child : children) {
    child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CacheEntry entry = cache_lookup(data, "big", "", 900, "g", std::chrono::seconds(20));
      if (entry.state == CacheState::Fetch) {
        std::ofstream(marker, std::ios::app) << "x";
        foundation::AtomicFile file;
        if (file.open(entry.local_path) != 0) ::_exit(3);
        const std::vector<std::uint8_t> block(4096, 'a');
        for (int i = 0; i < 64; ++i) {
          file.write(block);
          ::usleep(1000);
        }
        cache_done(entry, file.commit() == 0);
      }
      ::_exit(entry.state == CacheState::Current ? 0 : 2);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::ifstream count(marker);
  std::string fetches((std::istreambuf_iterator<char>(count)), {});
  EXPECT_EQ(fetches, "x");
  EXPECT_EQ(fs::file_size(data + "/cache/g/big"), 64u * 4096u);
}

}  // namespace
}  // namespace kovw::shell
