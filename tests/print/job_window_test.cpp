#include "print/job_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "print/print_application.h"

namespace kovw::print {
namespace {

QWidget* only_top_level() {
  const QWidgetList widgets = QApplication::topLevelWidgets();
  return widgets.size() == 1 ? widgets.front() : nullptr;
}

TEST(JobWindow, ShowsTheJobAndItsPrinterAndItsButtonCancels) {
  test::application();
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  {
    JobWindowHandle handle(job_window_title("invoice", "host1"),
                           job_window_printer("Laser", "ACME Laser 5"), cancel);
    QCoreApplication::sendPostedEvents();
    QWidget* window = only_top_level();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "KOVW Job invoice@host1");
    EXPECT_EQ(window->findChild<QLabel*>("printer")->text(), "Laser (ACME Laser 5)");
    auto* button = window->findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(cancel->load());
  }
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(only_top_level(), nullptr);
  EXPECT_EQ(job_window_printer("PDF", "PDF"), "PDF");
}

TEST(JobWindow, AWindowClosedBeforeItOpenedNeverShows) {
  test::application();
  { JobWindowHandle handle("job", "printer", std::make_shared<std::atomic<bool>>(false)); }
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

}  // namespace
}  // namespace kovw::print
