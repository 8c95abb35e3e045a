#include "foundation/named_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "foundation/log.h"
#include "foundation/log_fixture.h"

namespace kovw::foundation {
namespace {

using test::LogFileTest;

class NamedLockTest : public LogFileTest {
 protected:
  void TearDown() override {
    hvt_set_trace(false);
    LogFileTest::TearDown();
  }
};

TEST_F(NamedLockTest, TraceLinesOfEveryOperation) {
  const int before = hvt_thread_count();
  hvt_set_trace(true);
  hvt_init_threads("start.cpp", 11);
  NamedLock* lock = hvt_create_critical_ex("Programmliste", "list.cpp", 20);
  ASSERT_NE(lock, nullptr);
  hvt_enter_critical_ex(lock, "list.cpp", 21);
  hvt_enter_critical_ex(lock, "list.cpp", 22);
  hvt_leave_critical_ex(lock, "list.cpp", 23);
  hvt_leave_critical_ex(lock, "list.cpp", 24);
  hvt_destroy_critical_ex(lock, "list.cpp", 25);
  hvt_end_threads("end.cpp", 30);
  hvt_set_trace(false);

  std::vector<std::string> expected;
  expected.push_back("HVTHREADS start.cpp(11): hvt_init_threads (Anzahl " +
                     std::to_string(before + 1) + ")");
  if (before == 0) {
    expected.push_back("HVTHREADS start.cpp(11): hvt_create_critical_ex(HV-default)");
    expected.push_back("HVTHREADS start.cpp(11): retc = 0");
  }
  expected.insert(expected.end(),
                  {
                      "HVTHREADS start.cpp(11): retc = 0",
                      "HVTHREADS list.cpp(20): hvt_create_critical_ex(Programmliste)",
                      "HVTHREADS list.cpp(20): retc = 0",
                      "HVTHREADS list.cpp(21): hvt_enter_critical_ex(Programmliste) 1",
                      "HVTHREADS list.cpp(21): retc = 0",
                      "HVTHREADS list.cpp(22): hvt_enter_critical_ex(Programmliste) 2",
                      "HVTHREADS list.cpp(22): retc = 0",
                      "HVTHREADS list.cpp(23): hvt_leave_critical_ex(Programmliste) 1",
                      "HVTHREADS list.cpp(23): retc = 0",
                      "HVTHREADS list.cpp(24): hvt_leave_critical_ex(Programmliste) 0",
                      "HVTHREADS list.cpp(24): retc = 0",
                      "HVTHREADS list.cpp(25): hvt_destroy_critical_ex(Programmliste)",
                      "HVTHREADS list.cpp(25): retc = 0",
                  });
  expected.push_back("HVTHREADS end.cpp(30): hvt_end_threads (Anzahl " + std::to_string(before) +
                     ") ");
  if (before == 0) {
    expected.push_back("HVTHREADS end.cpp(30): hvt_destroy_critical_ex(HV-default)");
    expected.push_back("HVTHREADS end.cpp(30): retc = 0");
  }
  expected.push_back("HVTHREADS end.cpp(30): retc = 0");
  EXPECT_EQ(messages(), expected);
  EXPECT_EQ(hvt_thread_count(), before);

  // The guard traces with its caller's file and line.
  NamedLock* guarded = hvt_create_critical_ex("Geschuetzt", __FILE__, __LINE__);
  hvt_set_trace(true);
  const int line = __LINE__ + 1;
  { NamedLockGuard guard(guarded); }
  hvt_set_trace(false);
  hvt_destroy_critical_ex(guarded, __FILE__, __LINE__);
  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), expected.size() + 4);
  EXPECT_EQ(all[expected.size()], std::string("HVTHREADS ") + __FILE__ + "(" +
                                      std::to_string(line) +
                                      "): hvt_enter_critical_ex(Geschuetzt) 1");
}

TEST_F(NamedLockTest, LogLockTracesItsOwnUseButNeverWhileWritingATraceLine) {
  hvt_init_threads(__FILE__, __LINE__);
  hvt_set_trace(true);
  log_printf("Zeile");
  hvt_set_trace(false);
  hvt_end_threads(__FILE__, __LINE__);

  const std::vector<std::string> all = messages();
  ASSERT_EQ(all.size(), 5u);
  const std::string log_file = "log.cpp(";
  EXPECT_NE(all[0].find(log_file), std::string::npos) << all[0];
  EXPECT_NE(all[0].find("): hvt_enter_critical_ex(HV_SYSLOG) 1"), std::string::npos) << all[0];
  EXPECT_NE(all[1].find("): retc = 0"), std::string::npos);
  EXPECT_EQ(all[2], "Zeile");
  EXPECT_NE(all[3].find("): hvt_leave_critical_ex(HV_SYSLOG) 0"), std::string::npos) << all[3];
  EXPECT_NE(all[4].find("): retc = 0"), std::string::npos);
}

TEST_F(NamedLockTest, FailuresReturnMinusOne) {
  NamedLock* lock = hvt_create_critical_ex("L", __FILE__, __LINE__);
  EXPECT_EQ(hvt_enter_critical_ex(nullptr, __FILE__, __LINE__), -1);
  EXPECT_EQ(hvt_leave_critical_ex(lock, __FILE__, __LINE__), -1);  // not held
  ASSERT_EQ(hvt_enter_critical_ex(lock, __FILE__, __LINE__), 0);
  // Another thread can neither release nor destroy a lock it does not hold.
  std::thread([lock] {
    EXPECT_EQ(hvt_leave_critical_ex(lock, __FILE__, __LINE__), -1);
    EXPECT_EQ(hvt_destroy_critical_ex(lock, __FILE__, __LINE__), -1);
  }).join();
  EXPECT_EQ(hvt_destroy_critical_ex(lock, __FILE__, __LINE__), -1);  // still held: kept
  EXPECT_EQ(hvt_leave_critical_ex(lock, __FILE__, __LINE__), 0);
  EXPECT_EQ(hvt_destroy_critical_ex(lock, __FILE__, __LINE__), 0);
  NamedLock* long_name = hvt_create_critical_ex(std::string(100, 'n').c_str(), __FILE__, __LINE__);
  EXPECT_EQ(long_name->name(), std::string(63, 'n'));
  hvt_destroy_critical_ex(long_name, __FILE__, __LINE__);
}

TEST_F(NamedLockTest, DefaultLockExistsWhileThreadsAreCounted) {
  if (hvt_thread_count() != 0) GTEST_SKIP() << "the thread count was left up by another test";
  EXPECT_EQ(hvt_default_lock(), nullptr);
  { DefaultLockGuard no_op; }
  hvt_init_threads(__FILE__, __LINE__);
  hvt_init_threads(__FILE__, __LINE__);
  NamedLock* lock = hvt_default_lock();
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(lock->name(), "HV-default");
  int shared = 0;
  {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&shared] {
        for (int i = 0; i < 1000; ++i) {
          DefaultLockGuard guard;
          DefaultLockGuard nested;  // recursive, like a critical section
          ++shared;
        }
      });
    for (std::thread& thread : threads) thread.join();
  }
  EXPECT_EQ(shared, 4000);
  hvt_end_threads(__FILE__, __LINE__);
  EXPECT_EQ(hvt_default_lock(), lock);
  hvt_end_threads(__FILE__, __LINE__);
  EXPECT_EQ(hvt_default_lock(), nullptr);
  EXPECT_EQ(hvt_end_threads(__FILE__, __LINE__), -1);
  EXPECT_EQ(lock->name(), "HV-default");  // a pointer held by a late user stays valid
}

// HV_THREAD_LOG is read by the first hvt_init_threads of a process: checked in a fresh
// process (this test program, running only the child test below).
TEST_F(NamedLockTest, EnvironmentSwitchesTheTraceOn) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, STDOUT_FILENO);
    ::setenv("HV_THREAD_LOG", "1", 1);
    ::setenv("KOVW_LOCK_TRACE_LOG", path_.c_str(), 1);
    ::execl("/proc/self/exe", "test_foundation",
            "--gtest_filter=NamedLockChild.TraceFromEnvironment", nullptr);
    ::_exit(127);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::vector<std::string> all = messages();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all[0], "HVTHREADS child.cpp(1): hvt_init_threads (Anzahl 1)");
}

TEST(NamedLockChild, TraceFromEnvironment) {
  const char* log = std::getenv("KOVW_LOCK_TRACE_LOG");
  if (!log) GTEST_SKIP() << "runs only as the child of EnvironmentSwitchesTheTraceOn";
  ASSERT_EQ(log_set_path(log), 0);
  hvt_init_threads("child.cpp", 1);
  EXPECT_TRUE(hvt_trace_enabled());
}

}  // namespace
}  // namespace kovw::foundation
