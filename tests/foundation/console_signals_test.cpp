#include "foundation/console_signals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

#include "foundation/log_fixture.h"

namespace kovw::foundation {
namespace {

class ConsoleSignalsTest : public test::LogFileTest {
 protected:
  void TearDown() override {
    uninstall_console_signal_handlers();
    LogFileTest::TearDown();
  }
};

TEST_F(ConsoleSignalsTest, SignalIsLoggedAsConsoleEventAndPassedToTheCallback) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> received;
  ASSERT_TRUE(install_console_signal_handlers([&](int signal_number) {
    std::lock_guard<std::mutex> guard(mutex);
    received.push_back(signal_number);
    changed.notify_all();
  }));
  const int signals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};
  for (int signal_number : signals) {
    std::raise(signal_number);
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] {
      return !received.empty() && received.back() == signal_number;
    })) << signal_number;
  }
  EXPECT_EQ(messages(),
            (std::vector<std::string>{
                "Signal 0/CTRL_C_EVENT bekommen.", "Signal 1/CTRL_BREAK_EVENT bekommen.",
                "Signal 2/CTRL_CLOSE_EVENT bekommen.", "Signal 6/CTRL_SHUTDOWN_EVENT bekommen."}));
}

TEST_F(ConsoleSignalsTest, UninstallRestoresThePreviousHandler) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGHUP, &ignore, &previous), 0);
  ASSERT_TRUE(install_console_signal_handlers([](int) {}));
  uninstall_console_signal_handlers();
  std::raise(SIGHUP);  // ignored again: nothing happens
  struct sigaction now {};
  ::sigaction(SIGHUP, &previous, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  EXPECT_EQ(console_event_name(kCtrlLogoffEvent), std::string("CTRL_LOGOFF_EVENT"));
  EXPECT_EQ(console_event_name(3), nullptr);
  EXPECT_EQ(console_event_for_signal(SIGUSR1), -1);
}

TEST(ConsoleSignalsDeathTest, WithoutCallbackTheDefaultActionEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        install_console_signal_handlers(nullptr);
        std::raise(SIGTERM);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace kovw::foundation
