// The log viewer with a log of 100,000 lines: reading the file on the worker thread, the whole
// text put into a read-only view in one step (what the viewer avoids), the viewer from the file
// to the whole text, and one piece of text as the GUI thread takes it per turn of the loop.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <fstream>

#include "shell/log_viewer.h"

namespace {

constexpr int kLines = 100000;

QApplication& application() {
  static int argc = 1;
  static char name[] = "bench_log_viewer";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

struct LogFile {
  LogFile() {
    path = (dir.path() + "/kovw.log").toStdString();
    std::ofstream out(path, std::ios::binary);
    for (int i = 1; i <= kLines; ++i)
      out << "2026-12-10 17:00:00 4711 kovw        Command 40063 fertig, Zeile " << i << "\r\n";
  }
  QTemporaryDir dir;
  std::string path;
};

LogFile& log_file() {
  static LogFile file;
  return file;
}

void BM_ReadLogFile(benchmark::State& state) {
  const std::string& path = log_file().path;
  for (auto _ : state) {
    auto result = kovw::shell::read_log_file_text(path);
    benchmark::DoNotOptimize(result.text.size());
  }
}
BENCHMARK(BM_ReadLogFile)->Unit(benchmark::kMillisecond);

void BM_ShowLogText(benchmark::State& state) {
  application();
  const QString text = kovw::shell::read_log_file_text(log_file().path).text;
  QPlainTextEdit view;
  view.setReadOnly(true);
  view.setLineWrapMode(QPlainTextEdit::NoWrap);
  view.resize(800, 600);
  view.show();
  for (auto _ : state) {
    view.setPlainText(text);
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(view.blockCount());
  }
}
BENCHMARK(BM_ShowLogText)->Unit(benchmark::kMillisecond);

// The viewer as the user meets it: from the file to the whole text in the view, in pieces.
void BM_LogViewerOpens(benchmark::State& state) {
  application();
  for (auto _ : state) {
    auto* viewer = new kovw::shell::LogViewer(log_file().path);
    while (!viewer->loaded()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    benchmark::DoNotOptimize(viewer->text_view()->blockCount());
    delete viewer;
  }
}
BENCHMARK(BM_LogViewerOpens)->Unit(benchmark::kMillisecond);

// One piece of the text as the GUI thread lays it out per turn of the event loop.
void BM_AppendOnePiece(benchmark::State& state) {
  application();
  QString piece;
  for (int i = 0; piece.size() < 128 * 1024; ++i)
    piece += QStringLiteral("2026-12-10 17:00:00 4711 kovw        Command 40063 fertig, Zeile %1\n")
                 .arg(i);
  QPlainTextEdit view;
  view.document()->setUndoRedoEnabled(false);
  for (auto _ : state) {
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(piece);
  }
}
BENCHMARK(BM_AppendOnePiece)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace
