// The progress window of transfers: opened only when the measured rate expects a second or
// more, fed from another thread, Cancel sets the transfer's flag, and the window goes with
// its handle.
#include "shell/transfer_progress.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <thread>

#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

using test::application;
using test::spin_until;

TransferProgressWindow* only_window() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* window = qobject_cast<TransferProgressWindow*>(widget)) return window;
  return nullptr;
}

TEST(TransferProgress, FedFromAnotherThreadCancelledAndClosedWithItsHandle) {
  application();
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  std::unique_ptr<TransferProgress> progress;
  std::thread transfer([&] {
    progress =
        TransferProgress::open(TransferDirection::Upload, "Upload", "report.txt", 1 << 20, cancel);
    progress->advance(512 * 1024);
  });
  transfer.join();
  ASSERT_TRUE(spin_until([] { return only_window() != nullptr; }));
  TransferProgressWindow* window = only_window();
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(spin_until([&] { return window->bytes_text().contains("512"); }))
      << window->bytes_text().toStdString();
  QTest::mouseClick(window->cancel_button(), Qt::LeftButton);
  EXPECT_TRUE(cancel->load());
  progress.reset();
  EXPECT_TRUE(spin_until([] { return TransferProgress::open_windows() == 0; }));
}

TEST(TransferProgress, OpensOnlyForTransfersOfASecondOrMore) {
  application();
  // Downloads measured at 1 MB per second so far.
  add_transfer(TransferDirection::Download, 1000000, 1000);
  const auto cancel = std::make_shared<std::atomic<bool>>(false);
  EXPECT_FALSE(
      TransferProgress::open(TransferDirection::Download, "t", "n", 1000, cancel)->shown());
  EXPECT_TRUE(
      TransferProgress::open(TransferDirection::Download, "t", "n", 5000000, cancel)->shown());
  EXPECT_TRUE(spin_until([] { return TransferProgress::open_windows() == 0; }));
}

}  // namespace
}  // namespace kovw::shell
