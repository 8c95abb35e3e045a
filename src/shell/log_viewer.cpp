#include "shell/log_viewer.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "foundation/log.h"
#include "foundation/show_message.h"
#include "platform/gui_call.h"
#include "shell/ui_text.h"

namespace kovw::shell {

LogFileText read_log_file_text(const std::string& path) {
  LogFileText result;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    result.error = errno;
    return result;
  }
  QByteArray bytes;
  char buffer[64 * 1024];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.append(buffer, static_cast<qsizetype>(got));
  const bool failed = std::ferror(file) != 0;
  const int read_error = errno;
  std::fclose(file);
  if (failed) {
    result.error = read_error != 0 ? read_error : EIO;
    return result;
  }
  bytes.replace("\r\n", "\n");
  result.text = QString::fromLocal8Bit(path) + QLatin1Char('\n') + QString::fromLocal8Bit(bytes);
  return result;
}

LogViewer::LogViewer(const std::string& path, QWidget* parent)
    : TextDialog(QString::fromLocal8Bit(path), parent), path_(path) {
  text_view()->setPlaceholderText(ui_text("Wird gelesen ...", "Reading ..."));
  // The file is read on the thread pool. The result goes to the GUI thread, which checks there
  // whether the viewer still exists: the reader never touches the viewer.
  platform::run_in_background([viewer = QPointer<LogViewer>(this), path]() mutable {
    auto result = std::make_shared<LogFileText>(read_log_file_text(path));
    platform::post_to_gui_thread([viewer = std::move(viewer), result] {
      if (viewer) viewer->on_read(*result);
    });
  });
}

void LogViewer::on_read(const LogFileText& result) {
  if (result.error != 0) {
    emit load_failed(result.error);
    foundation::show_message_number(parentWidget(), 0, result.error + kLogOpenErrorBase, "KOVW",
                                    10093, path_.c_str());
    if (testAttribute(Qt::WA_DeleteOnClose))
      deleteLater();
    else
      hide();
    return;
  }
  pending_ = result.text;
  pending_at_ = 0;
  text_view()->clear();
  text_view()->document()->setUndoRedoEnabled(false);
  append_next_piece();
  show();
}

void LogViewer::append_next_piece() {
  // Pieces end at a line end, so every line is laid out once, within one piece.
  qsizetype end = std::min(pending_.size(), pending_at_ + kPieceChars);
  if (end < pending_.size()) {
    const qsizetype line_end = pending_.indexOf(QLatin1Char('\n'), end);
    end = line_end < 0 ? pending_.size() : line_end + 1;
  }
  QTextCursor cursor(text_view()->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QStringView(pending_).sliced(pending_at_, end - pending_at_).toString());
  pending_at_ = end;
  if (pending_at_ < pending_.size()) {
    QTimer::singleShot(0, this, &LogViewer::append_next_piece);
    return;
  }
  pending_.clear();
  loaded_ = true;
  emit text_loaded();
}

LogViewer* show_log_viewer(QWidget* parent, const std::string& path) {
  auto* viewer = new LogViewer(path.empty() ? foundation::log_path() : path, parent);
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  return viewer;
}

}  // namespace kovw::shell
