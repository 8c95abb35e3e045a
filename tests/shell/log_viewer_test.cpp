// The log viewer: a long log arrives whole in the view without the GUI thread reading it; a
// log that cannot be opened shows message 10093 with the error number + 20000.
#include "shell/log_viewer.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <cerrno>
#include <fstream>

#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

TEST(LogViewer, OpensAHundredThousandLinesWhole) {
  test::application();
  QTemporaryDir dir;
  const std::string path = (dir.path() + "/kovw.log").toStdString();
  constexpr int kLines = 100000;
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 1; i <= kLines; ++i)
      out << "2026-12-10 17:00:00 4711 Zeile " << i << (i % 2 ? "\r\n" : "\n");
  }
  auto* viewer = show_log_viewer(nullptr, path);
  QPointer<LogViewer> alive(viewer);
  ASSERT_TRUE(test::spin_until([&] { return alive && alive->loaded(); }));
  QPlainTextEdit* view = viewer->text_view();
  EXPECT_TRUE(view->isReadOnly());
  EXPECT_TRUE(viewer->isVisible());
  // The name, the lines, and the empty line after the last line end.
  ASSERT_EQ(kLines + 2, view->blockCount());
  EXPECT_EQ(QString::fromStdString(path), view->document()->findBlockByNumber(0).text());
  EXPECT_EQ("2026-12-10 17:00:00 4711 Zeile 1", view->document()->findBlockByNumber(1).text());
  EXPECT_EQ("2026-12-10 17:00:00 4711 Zeile 100000",
            view->document()->findBlockByNumber(kLines).text());
  viewer->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());
}

TEST(LogViewer, AFileThatCannotBeOpenedShowsMessage10093WithTheErrorNumber) {
  test::application();
  QTemporaryDir dir;
  const std::string path = (dir.path() + "/missing.log").toStdString();
  test::ScriptedBoxes boxes;
  auto* viewer = show_log_viewer(nullptr, path);
  QPointer<LogViewer> alive(viewer);
  int error = 0;
  QObject::connect(viewer, &LogViewer::load_failed, [&](int e) { error = e; });
  ASSERT_TRUE(test::spin_until([&] { return alive.isNull(); }));
  EXPECT_EQ(ENOENT, error);
  ASSERT_EQ(1u, boxes.boxes.size());
  const std::string text = test::flat(boxes.boxes[0].text);
  EXPECT_NE(std::string::npos, text.find(path)) << text;
  EXPECT_NE(std::string::npos, text.find(std::to_string(kLogOpenErrorBase + ENOENT))) << text;
}

TEST(LogViewer, ReadingADirectoryFailsWithItsError) {
  QTemporaryDir dir;
  const LogFileText result = read_log_file_text(dir.path().toStdString());
  EXPECT_NE(0, result.error);
  EXPECT_TRUE(result.text.isEmpty());
}

}  // namespace
}  // namespace kovw::shell
