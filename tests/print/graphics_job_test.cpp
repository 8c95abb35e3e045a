// The printer of a graphics print job: an interactive job shows its window while the printer
// is open, and its cancel ends the job without a document.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "print/job_output.h"
#include "print/print_application.h"

namespace kovw::print {
namespace {

TEST(GraphicsJob, ItsWindowCancelsTheJobAndNoDocumentIsLeft) {
  test::application();
  QTemporaryDir dir;
  PrintEnvironment env;
  env.pdf_folder = dir.filePath("pdf");
  env.dialogs_allowed = false;
  {
    auto job = open_graphics_print_job("PDF", "Sales chart", true, env);
    ASSERT_TRUE(job->open());
    QCoreApplication::sendPostedEvents();
    QWidget* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->windowTitle() == "Sales chart") window = top;
    ASSERT_NE(window, nullptr);
    ASSERT_NE(job->page(), nullptr);
    QTest::mouseClick(window->findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_TRUE(job->cancelled());
    job->end_page();
    EXPECT_EQ(job->page(), nullptr);
  }
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (QWidget* top : QApplication::topLevelWidgets()) EXPECT_NE(top->windowTitle(), "Sales chart");
  EXPECT_TRUE(QDir(env.pdf_folder).entryList({"*.pdf"}, QDir::Files).isEmpty());
}

}  // namespace
}  // namespace kovw::print
