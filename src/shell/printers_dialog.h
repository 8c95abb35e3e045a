#pragma once
// The list of installed printers. The printer system is asked on a worker thread, so a slow
// print server never stops the GUI thread.

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;

namespace kovw::shell {

struct PrinterLine {
  QString name;
  QString description;
  QString location;
  bool is_default = false;
};
// The installed printers (runs on any thread).
QList<PrinterLine> installed_printers();
// The text of one list line: the name, "(Standard)" / "(default)", description and location.
QString printer_line_text(const PrinterLine& printer);

class PrintersDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PrintersDialog(QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  // Shows the printers (the worker's answer).
  void set_printers(const QList<PrinterLine>& printers);

 signals:
  void printers_listed();

 private:
  QListWidget* list_;
};

// Opens the dialog (modeless; it deletes itself when closed) and starts the query.
PrintersDialog* show_installed_printers(QWidget* parent);

}  // namespace kovw::shell
