#include "foundation/log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>
#include <thread>

#include "foundation/log_fixture.h"

namespace kovw::foundation {
namespace {

using test::LogFileTest;
namespace fs = std::filesystem;

std::string pid_and_tid_columns() {
  char text[32];
  std::snprintf(text, sizeof text, "%7d-%-8ld", static_cast<int>(::getpid()),
                static_cast<long>(::syscall(SYS_gettid)));
  return text;
}

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    if (old_)
      ::setenv("TZ", old_->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& dir) : old_(fs::current_path()) { fs::current_path(dir); }
  ~ScopedCwd() { fs::current_path(old_); }

 private:
  fs::path old_;
};

TEST_F(LogFileTest, PrefixIsSixtySixColumnsByteExact) {
  ScopedTimeZone utc("UTC");
  log_set_thread_name("PROGNAME");
  log_printf_at(1700000000, "Hallo %d", 5);
  const std::string expected =
      "14.11.2023 22:13:20.000000 " + pid_and_tid_columns() + "      PROGNAME         Hallo 5\n";
  EXPECT_EQ(content(), expected);
  EXPECT_EQ(expected.find("Hallo"), kPrefix);

  // The current time shows milliseconds: the last three digits of the microseconds are 0.
  log_printf("jetzt");
  const std::vector<std::string> all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_TRUE(std::regex_match(all[1], std::regex(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3}000 )"
                                                  R"([ \d]{7}-\d+ +PROGNAME {9}jetzt)")))
      << all[1];
  EXPECT_EQ(all[1].size(), kPrefix + 5);
}

TEST_F(LogFileTest, ThreadLogNameOrExecutableNameCutTo16) {
  log_set_executable("/usr/local/bin/kovw-with-a-long-name");
  log_printf("main");
  std::thread([] {
    log_set_thread_name("HOSTPROGRAM-NAME-TOO-LONG");
    log_printf("program");
  }).join();
  const std::vector<std::string> all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].substr(43, 23), "      kovw-with-a-long ");
  EXPECT_EQ(all[1].substr(43, 23), "      HOSTPROGRAM-NAME ");
  log_set_executable("C:\\hv\\kovw.exe");
  log_printf("windows form");
  EXPECT_EQ(lines().back().substr(49, 17), "kovw.exe         ");
}

TEST_F(LogFileTest, WriteFlagsAndLength) {
  log_write("bare", 0, 0);
  log_write("abc", 0, kLogPrefix | kLogNoNewline);
  log_write("def-and-more", 3, 0);
  const std::vector<std::string> all = lines();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], "bare");
  EXPECT_EQ(all[1].size(), kPrefix + 6);
  EXPECT_EQ(all[1].substr(kPrefix), "abcdef");
}

TEST_F(LogFileTest, MessageIsCutAt960Characters) {
  const std::string long_text(2000, 'x');
  log_printf("%s", long_text.c_str());
  log_write(long_text.c_str(), long_text.size(), kLogPrefix);
  // A formatted message beyond the 10240-byte buffer is cut, never overflowed.
  const std::string huge(20000, 'y');
  log_printf("%s%s", huge.c_str(), huge.c_str());
  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0], std::string(960, 'x'));
  EXPECT_EQ(all[1], std::string(960, 'x'));
  EXPECT_EQ(all[2], std::string(960, 'y'));
}

TEST_F(LogFileTest, HexDumpTwoLines) {
  const unsigned char bytes[] = {0x41, 0x00, 0x7F};
  log_hex(bytes, 3);
  log_hex(bytes, 0);
  const unsigned char high[] = {0x8F, 0x90, 0xE4, 0x20};
  log_hex(high, 4);
  EXPECT_EQ(messages(), (std::vector<std::string>{"     3 41007F", "       A . . ",
                                                  "     4 8F90E420", "       . \x90 \xE4   "}));

  std::vector<unsigned char> many(600, 'z');
  log_hex(many.data(), static_cast<long>(many.size()));
  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), 6u);
  std::string hex;
  for (int i = 0; i < 476; ++i) hex += "7A";
  EXPECT_EQ(all[4], "   600 " + hex);
  EXPECT_EQ(all[5].size(), 7u + 952u);
}

TEST_F(LogFileTest, PendingLineIsWrittenOnceWithItsOwnPrefix) {
  ScopedTimeZone utc("UTC");
  log_set_pending("kovw 7.3/5 vom 10.12.2026");
  log_printf_at(1700000000, "erste");
  log_printf_at(1700000001, "zweite");
  const std::vector<std::string> all = lines();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].substr(0, 27), "14.11.2023 22:13:20.000000 ");
  EXPECT_EQ(all[0].substr(kPrefix), "kovw 7.3/5 vom 10.12.2026");
  EXPECT_EQ(all[1].substr(kPrefix), "erste");
  EXPECT_EQ(all[2].substr(kPrefix), "zweite");
  EXPECT_EQ(all[2].substr(0, 20), "14.11.2023 22:13:21.");

  log_set_pending(std::string(600, 'p').c_str());
  log_write("ohne prefix", 0, 0);
  const std::vector<std::string> after = lines();
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after[3].substr(kPrefix), std::string(511, 'p'));
  EXPECT_EQ(after[4], "ohne prefix");
}

TEST_F(LogFileTest, LogDeletedWhileOpenIsCreatedAgain) {
  log_printf("vorher");
  ASSERT_EQ(::unlink(path_.c_str()), 0);
  log_printf("nachher");
  EXPECT_EQ(messages(), std::vector<std::string>{"nachher"});

  // Another thread's open descriptor notices the deletion too.
  std::thread([] { log_printf("thread"); }).join();
  log_delete();
  EXPECT_FALSE(fs::exists(path_));
  std::thread([] { log_printf("wieder"); }).join();
  EXPECT_EQ(messages(), std::vector<std::string>{"wieder"});
}

TEST_F(LogFileTest, DailyCheckDeletesYesterdaysLogAndKeepsTodays) {
  log_printf("heute");
  log_daily_check();
  log_printf("noch heute");
  EXPECT_EQ(messages(), (std::vector<std::string>{"heute", "noch heute"}));

  std::time_t now = std::time(nullptr);
  struct tm yesterday {};
  ::localtime_r(&now, &yesterday);
  yesterday.tm_mday -= 1;
  yesterday.tm_hour = 12;
  yesterday.tm_min = yesterday.tm_sec = 0;
  yesterday.tm_isdst = -1;
  const struct timeval times[2] = {{std::mktime(&yesterday), 0}, {std::mktime(&yesterday), 0}};
  ASSERT_EQ(::utimes(path_.c_str(), times), 0);
  log_daily_check();
  EXPECT_FALSE(fs::exists(path_));
  log_printf("neuer Tag");
  EXPECT_EQ(messages(), std::vector<std::string>{"neuer Tag"});
}

TEST_F(LogFileTest, SetPathFallbackChainAndStdout) {
  ScopedCwd cwd(dir_);
  for (const char* sub : {"prt", "tmp", "temp", "tdir"}) fs::create_directory(dir_ + "/" + sub);
  const std::string missing = dir_ + "/missing";

  struct Case {
    const char* prt;
    const char* tmp;
    const char* temp;
    const char* tmpdir;
    int result;
    std::string path;
  };
  const Case cases[] = {
      {"prt", nullptr, nullptr, "missing", 0, dir_ + "/prt/SYSLOG"},
      {nullptr, "tmp", "temp", "tdir", 1, dir_ + "/tmp/SYSLOG"},
      {"missing", "missing", "temp", "tdir", 1, dir_ + "/temp/SYSLOG"},
      {"missing", "missing", "missing", "tdir", 1, dir_ + "/tdir/SYSLOG"},
      {"missing", "missing", "missing", "missing", 1, "SYSLOG"},
  };
  auto set = [&](const char* name, const char* sub) {
    if (sub)
      ::setenv(name, (dir_ + "/" + sub).c_str(), 1);
    else
      ::unsetenv(name);
  };
  for (const Case& c : cases) {
    set("PRT", c.prt);
    set("TMP", c.tmp);
    set("TEMP", c.temp);
    set("TMPDIR", c.tmpdir);
    EXPECT_EQ(log_set_path(nullptr), c.result) << c.path;
    EXPECT_EQ(log_path(), c.path);
    struct stat info {};
    ASSERT_EQ(::stat(c.path.c_str(), &info), 0) << c.path;
    EXPECT_EQ(info.st_mode & 0777, 0666u) << c.path;
  }
  // An explicit name (quoted, up to the first blank outside quotes) that cannot be opened.
  EXPECT_EQ(log_set_path(("\"" + missing + "/kovw.log\" -x").c_str()), 1);
  EXPECT_EQ(log_path(), "SYSLOG");
  EXPECT_EQ(log_set_path(("\"" + dir_ + "/with blank.log\" -x").c_str()), 0);
  EXPECT_EQ(log_path(), dir_ + "/with blank.log");

  // Nothing can be opened: -1, and every line goes to the standard output.
  fs::remove(dir_ + "/SYSLOG");
  fs::create_directory(dir_ + "/SYSLOG");
  EXPECT_EQ(log_set_path(nullptr), -1);
  EXPECT_EQ(log_path(), missing + "/SYSLOG");
  EXPECT_NE(log_last_open_error(), 0);
  ::testing::internal::CaptureStdout();
  log_printf("Meldung %d", 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Kann " + missing + "/SYSLOG nicht oeffnen. Meldung:Meldung 1\n");
}

TEST_F(LogFileTest, FirstLineBeforeSetPathGoesToTheDefaultPath) {
  fs::create_directory(dir_ + "/prt");
  ::setenv("PRT", (dir_ + "/prt").c_str(), 1);
  log_reset();
  log_printf("frueh");
  EXPECT_EQ(log_path(), dir_ + "/prt/SYSLOG");
  EXPECT_NE(read_file(dir_ + "/prt/SYSLOG").find("frueh\n"), std::string::npos);

  // HV_SYSLOG=1 moves the default to the temporary directory.
  fs::create_directory(dir_ + "/tdir");
  ::setenv("TMPDIR", (dir_ + "/tdir").c_str(), 1);
  ::setenv("HV_SYSLOG", "1", 1);
  EXPECT_EQ(log_set_path(""), 0);
  EXPECT_EQ(log_path(), dir_ + "/tdir/SYSLOG");
}

TEST_F(LogFileTest, SymbolicLinksAreNeverFollowed) {
  const std::string victim = dir_ + "/victim";
  { std::ofstream(victim) << "keep"; }
  const std::string link = dir_ + "/link.log";
  fs::create_symlink(victim, link);
  fs::create_directory(dir_ + "/tdir");
  ::setenv("TMPDIR", (dir_ + "/tdir").c_str(), 1);
  EXPECT_EQ(log_set_path(link.c_str()), 1);
  EXPECT_EQ(log_path(), dir_ + "/tdir/SYSLOG");

  // A link planted in place of an open log is not followed at the next line either.
  ASSERT_EQ(log_set_path(path_.c_str()), 0);
  log_printf("eins");
  ASSERT_EQ(::unlink(path_.c_str()), 0);
  fs::create_symlink(victim, path_);
  ::testing::internal::CaptureStdout();
  log_printf("zwei");
  EXPECT_NE(::testing::internal::GetCapturedStdout().find("Meldung:zwei"), std::string::npos);
  EXPECT_EQ(read_file(victim), "keep");
}

TEST_F(LogFileTest, KeepOpenAndExplicitOpenClose) {
  const int fd = log_open();
  EXPECT_GE(fd, 0);
  EXPECT_EQ(log_open(), fd);
  log_set_keep_open(0);
  log_printf("eins");
  // Closed after the line: the next open gives a descriptor again.
  EXPECT_GE(log_open(), 0);
  log_close();
  log_printf("zwei");
  EXPECT_EQ(messages(), (std::vector<std::string>{"eins", "zwei"}));
}

TEST_F(LogFileTest, ThreadsWriteWholeLinesThroughTheirOwnDescriptors) {
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  auto open_descriptors = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
  };
  log_printf("main");
  const auto descriptors_before = open_descriptors();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      log_set_thread_name("T" + std::to_string(t));
      for (int i = 0; i < kLines; ++i) log_printf("thread %d line %03d %s", t, i, "payload");
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(open_descriptors(), descriptors_before);  // each thread's file closed at its end
  std::vector<std::string> all = lines();
  all.erase(all.begin());
  ASSERT_EQ(all.size(), static_cast<std::size_t>(kThreads * kLines));
  const std::regex line(R"(.{49}T(\d) {15}thread (\d) line \d{3} payload)");
  for (const std::string& text : all) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(text, match, line)) << text;
    EXPECT_EQ(match[1], match[2]);
  }
}

}  // namespace
}  // namespace kovw::foundation
