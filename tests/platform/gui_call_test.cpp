#include "platform/gui_call.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <string>
#include <thread>

#include "platform_application.h"

namespace kovw::platform {
namespace {

// A worker thread gets the result of work done on the GUI thread while the GUI thread goes on
// with its own event loop.
TEST(GuiCallTest, WorkerWaitsForTheResultOfTheGuiThread) {
  QApplication* app = test::application();
  std::optional<std::string> result;
  QThread* ran_on = nullptr;
  QEventLoop loop;
  std::thread worker([&] {
    result = gui_call([&] {
      ran_on = QThread::currentThread();
      return std::string("from the GUI thread");
    });
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // never hang the suite
  loop.exec();
  worker.join();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ("from the GUI thread", *result);
  EXPECT_EQ(app->thread(), ran_on);
}

TEST(GuiCallTest, TheGuiThreadItselfRunsTheWorkAtOnce) {
  test::application();
  int calls = 0;
  EXPECT_EQ(std::optional<int>(7), gui_call([&] { return ++calls + 6; }));
  EXPECT_EQ(1, calls);
}

}  // namespace
}  // namespace kovw::platform
