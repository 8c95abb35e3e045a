#pragma once
// The log viewer: the log file's name and its whole contents in a text dialog. The file is
// read on a worker thread; the text goes into the view in pieces of whole lines, one piece per
// turn of the event loop, so a long log opens at once and never stops the GUI thread.
// A file that cannot be opened shows message 10093 with the C error number + 20000.

#include <QString>
#include <string>

#include "shell/text_dialog.h"

namespace kovw::shell {

// The error number added to the C error number of a log file that cannot be opened.
inline constexpr int kLogOpenErrorBase = 20000;

struct LogFileText {
  int error = 0;  // the C error number; 0 when read
  QString text;   // the name, a line end and the contents (line ends as "\n")
};
// Reads `path` whole (runs on any thread).
LogFileText read_log_file_text(const std::string& path);

class LogViewer : public TextDialog {
  Q_OBJECT

 public:
  // Starts reading `path`; the dialog shows itself when the text is there.
  LogViewer(const std::string& path, QWidget* parent = nullptr);

  bool loaded() const { return loaded_; }

 signals:
  // The whole text is in the view.
  void text_loaded();
  // The file could not be read; the message was shown and the dialog closes.
  void load_failed(int error);

 private:
  void on_read(const LogFileText& result);
  void append_next_piece();

  // About 2,000 lines of a log: a few milliseconds of layout.
  static constexpr qsizetype kPieceChars = 128 * 1024;

  std::string path_;
  QString pending_;  // the text still to be shown from pending_at_ on
  qsizetype pending_at_ = 0;
  bool loaded_ = false;
};

// Opens the viewer of `path` (the current log file when empty); it deletes itself when
// closed.
LogViewer* show_log_viewer(QWidget* parent, const std::string& path = {});

}  // namespace kovw::shell
