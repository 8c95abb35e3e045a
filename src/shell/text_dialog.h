#pragma once
// The text dialog of the shell: a modeless window with a read-only text (the short help, the
// change list, the log file) and a Close button. Escape and Enter close it.

#include <QDialog>

class QPlainTextEdit;

namespace kovw::shell {

class TextDialog : public QDialog {
  Q_OBJECT

 public:
  TextDialog(const QString& title, QWidget* parent = nullptr);

  QPlainTextEdit* text_view() const { return view_; }
  void set_text(const QString& text);

 private:
  QPlainTextEdit* view_;
};

// Opens a text dialog with `text` that deletes itself when closed.
TextDialog* show_text_dialog(QWidget* parent, const QString& title, const QString& text);

}  // namespace kovw::shell
