// The print dialog of a job whose printer is "dialog": shown on the GUI thread while the job's
// thread waits for the answer.
#include "print/print_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPrintDialog>
#include <QTest>
#include <future>

#include "print/print_application.h"
#include "print/printer_defaults.h"
#include "shell/settings_store.h"
#include "shell/temp_xdg_home.h"

namespace kovw::print {
namespace {

QPrintDialog* shown_dialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QPrintDialog*>(widget); dialog && dialog->isVisible())
      return dialog;
  return nullptr;
}

void settle() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The dialog keeps its choice in the settings store: a store of the test's own.
class PrintDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::application();
    shell::reset_settings_store();
  }
  void TearDown() override { shell::reset_settings_store(); }
  kovw::test::TempXdgHome home_;
};

TEST_F(PrintDialogTest, TheJobThreadGetsThePrinterTheUserChoseAndTheChoiceIsKept) {
  auto answer =
      std::async(std::launch::async, [] { return ask_for_printer("KOVW Print Job a@b", 30000); });
  QTRY_VERIFY_WITH_TIMEOUT(shown_dialog() != nullptr, 10000);
  QPrintDialog* dialog = shown_dialog();
  EXPECT_EQ(dialog->windowTitle(), "KOVW Print Job a@b");
  dialog->printer()->setOutputFileName(QDir::temp().filePath("kovw-dialog-test.pdf"));
  dialog->accept();
  const PrintDialogAnswer got = answer.get();
  ASSERT_NE(got.printer, nullptr);
  EXPECT_FALSE(got.timed_out);
  EXPECT_EQ(got.printer->docName(), "KOVW Print Job a@b");
  const PrinterDefaults kept = load_printer_defaults(shell::settings_store().registry());
  EXPECT_EQ(kept, current_printer_defaults());
  EXPECT_GE(kept.copies, 1);
  settle();
}

TEST_F(PrintDialogTest, CancellingOrWaitingTooLongGivesNoPrinter) {
  auto cancelled = std::async(std::launch::async, [] { return ask_for_printer("job", 30000); });
  QTRY_VERIFY_WITH_TIMEOUT(shown_dialog() != nullptr, 10000);
  shown_dialog()->reject();
  EXPECT_EQ(cancelled.get().printer, nullptr);
  settle();

  auto late = std::async(std::launch::async, [] { return ask_for_printer("job", 200); });
  QTRY_VERIFY_WITH_TIMEOUT(late.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready,
                           10000);
  const PrintDialogAnswer got = late.get();
  EXPECT_TRUE(got.timed_out);
  EXPECT_EQ(got.printer, nullptr);
  // The dialog that nobody answered is closed.
  QTRY_VERIFY_WITH_TIMEOUT(shown_dialog() == nullptr, 10000);
  settle();

  // A job cancelled meanwhile stops waiting too.
  std::atomic<bool> cancel{false};
  auto cancelled_job =
      std::async(std::launch::async, [&cancel] { return ask_for_printer("job", 30000, &cancel); });
  QTRY_VERIFY_WITH_TIMEOUT(shown_dialog() != nullptr, 10000);
  cancel = true;
  QTRY_VERIFY_WITH_TIMEOUT(
      cancelled_job.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready, 10000);
  const PrintDialogAnswer stopped = cancelled_job.get();
  EXPECT_FALSE(stopped.timed_out);
  EXPECT_EQ(stopped.printer, nullptr);
  QTRY_VERIFY_WITH_TIMEOUT(shown_dialog() == nullptr, 10000);
  settle();
}

}  // namespace
}  // namespace kovw::print
