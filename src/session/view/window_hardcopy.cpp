#include "session/view/window_hardcopy.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>
#include <cerrno>
#include <memory>

#include "foundation/log.h"
#include "foundation/path_synonyms.h"
#include "foundation/show_message.h"
#include "session/program/hardcopy_text.h"
#include "session/view/hardcopy_dialog.h"
#include "shell/pdf_printer.h"
#include "shell/settings_store.h"
#include "shell/startup.h"
#include "shell/ui_text.h"

namespace kovw::session {

namespace {

using shell::ui_text;

// Enables the window again however the hardcopy ends.
class WindowDisabled {
 public:
  explicit WindowDisabled(QWidget* window) : window_(window) {
    // The window may go while the job waits for the printing system (its program ended).
    if (window_) window_->setEnabled(false);
  }
  ~WindowDisabled() {
    if (window_) {
      window_->setEnabled(true);
      window_->activateWindow();
    }
  }
  WindowDisabled(const WindowDisabled&) = delete;
  WindowDisabled& operator=(const WindowDisabled&) = delete;

 private:
  QPointer<QWidget> window_;
};

// A new file name in the PDF printer's folder for a hardcopy of `description`.
QString pdf_target(const QString& description) {
  const shell::ShellState& state = shell::shell_state();
  const std::string data =
      state.directories.data.empty() ? shell::temporary_directory() : state.directories.data;
  const QString folder = shell::pdf_folder(shell::settings().pdf_folder.str(), data);
  if (!QDir().mkpath(folder)) return {};
  QString stem;
  for (const QChar c : description.left(40)) stem += c.isLetterOrNumber() ? c : QChar(u'_');
  stem += QDateTime::currentDateTime().toString(QStringLiteral("_yyyyMMdd_HHmmss"));
  QString path = QDir(folder).filePath(stem + QStringLiteral(".pdf"));
  for (int n = 2; QFile::exists(path) && n < 1000; ++n)
    path = QDir(folder).filePath(QStringLiteral("%1_%2.pdf").arg(stem).arg(n));
  return path;
}

HardcopyPageTexts page_texts(const HardcopySource& source) {
  const QDateTime now = QDateTime::currentDateTime();
  return {source.description, hardcopy_heading_now(now), hardcopy_footer(now)};
}

}  // namespace

QString default_hardcopy_printer() {
  const QString name = QPrinterInfo::defaultPrinterName();
  return name.isEmpty() ? QString::fromLatin1(shell::kPdfPrinterName) : name;
}

int write_hardcopy(QWidget* owner, const HardcopySource& source, const HardcopySettings& settings) {
  if (settings.output == kHardcopyClipboard) {
    // The clipboard gets the text or the picture in memory; no file is involved.
    const int format =
        source.text_screen && is_text_format(settings.format) ? kHardcopyClipText : kHardcopyBmp;
    put_hardcopy_on_clipboard(source, format, settings.area);
    return 0;
  }
  const QByteArray bytes = hardcopy_file_bytes(source, settings.format, settings.area);
  if (bytes.isEmpty()) {
    // No picture could be made (the position says which kind of window).
    foundation::show_message_number(
        owner, 0, 0, source.text_screen ? "KOVW Text Hardcopy" : "KOVW Grafik Hardcopy", 10054,
        ENOMEM, source.text_screen ? 901 : 12446, "");
    return 10054;
  }
  const std::string resolved =
      foundation::resolve_path(settings.file_name).value_or(settings.file_name);
  const QString path = QString::fromStdString(resolved);
  const int error = save_hardcopy_file(path, bytes);
  if (error != 0) {
    foundation::show_message_number(owner, foundation::kMsgUtf8, 0, "Hardcopy", 40278,
                                    resolved.c_str(), error);
    return 40278;
  }
  foundation::log_printf("Hardcopy: %s (%lld Bytes)", resolved.c_str(),
                         static_cast<long long>(bytes.size()));
  return 0;
}

int print_window_hardcopy(QWidget* window, const HardcopySource& source,
                          const HardcopySettings& settings) {
  WindowDisabled disabled(window);
  const QString name = QString::fromStdString(settings.printer_name);
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(source.description);
  QString pdf_path, part_path;
  if (shell::is_pdf_printer_name(name)) {
    pdf_path = pdf_target(source.description);
    if (pdf_path.isEmpty()) {
      foundation::show_message_number(window, foundation::kMsgUtf8, 0, "Hardcopy", 40276, EACCES,
                                      settings.printer_name.c_str());
      return 40276;
    }
    // The job is written under a temporary name and takes its own only when it is complete.
    part_path = pdf_path + QStringLiteral(".part");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(part_path);
  } else {
    printer.setPrinterName(name);
    if (!printer.isValid()) {
      foundation::show_message_number(window, foundation::kMsgUtf8, 0, "Hardcopy", 40276, ENODEV,
                                      settings.printer_name.c_str());
      return 40276;
    }
  }
  // The abort window; it goes with the program window should that go first.
  QPointer<QProgressDialog> abort = new QProgressDialog(window);
  abort->setObjectName(QStringLiteral("hardcopy_abort"));
  abort->setWindowTitle(ui_text("Drucken aktiv", "Printing active"));
  abort->setLabelText(ui_text("Drucke", "Printing") + QStringLiteral("\n") + source.description +
                      QStringLiteral("\n") + ui_text("auf", "on") + QStringLiteral("\n") + name);
  abort->setCancelButtonText(ui_text("Druckvorgang abbrechen", "Cancel Print"));
  abort->setRange(0, 0);
  abort->setMinimumDuration(0);
  abort->setWindowFlag(Qt::WindowCloseButtonHint, false);
  abort->show();
  const auto cancelled = [&abort] {
    QCoreApplication::processEvents();
    return !abort || abort->wasCanceled();
  };
  const bool printed = print_hardcopy(printer, source, settings, page_texts(source), cancelled);
  delete abort.data();
  if (!printed) {
    printer.abort();
    if (!part_path.isEmpty()) QFile::remove(part_path);
    foundation::log_printf("Hardcopy: Druck abgebrochen");
    return -1;
  }
  if (!part_path.isEmpty() && !QFile::rename(part_path, pdf_path)) {
    QFile::remove(part_path);
    foundation::show_message_number(window, foundation::kMsgUtf8, 0, "Hardcopy", 40278,
                                    pdf_path.toStdString().c_str(), EIO);
    return 40278;
  }
  return 0;
}

void window_hardcopy(QWidget* window, const HardcopySource& source, int parameter) {
  HardcopyActive active;
  if (!active.owner()) {
    foundation::show_message_number(window, 0, 0, "KOV Workstation", 40277);
    return;
  }
  if (parameter & 1) {
    HardcopySettings clip;
    clip.output = kHardcopyClipboard;
    clip.format = source.text_screen ? kHardcopyClipText : kHardcopyBmp;
    write_hardcopy(window, source, clip);
    return;
  }
  HardcopySettings& settings = hardcopy_settings();
  if (!settings.initialised) {
    settings.initialised = true;
    settings.printer_name = default_hardcopy_printer().toStdString();
  }
  if (foundation::unattended()) {
    foundation::log_printf("Hardcopy: Dialog im unbeaufsichtigten Betrieb übergangen");
    return;
  }
  HardcopyWindowFacts facts;
  facts.description = source.description;
  facts.text_screen = source.text_screen;
  facts.text_size = QSize(source.view.columns, source.view.rows);
  facts.whole_size = source.whole.size();
  facts.visible_size = source.visible.size();
  // The dialog lives on the heap: should the program window go while it is open, the dialog
  // goes with it and the hardcopy ends.
  QPointer<QWidget> owner(window);
  QPointer<HardcopyDialog> dialog = new HardcopyDialog(settings, facts, window);
  const int result = dialog->exec();
  if (!dialog || !owner) return;
  const HardcopySettings chosen = dialog->settings();
  delete dialog.data();
  if (result != QDialog::Accepted) return;
  settings = chosen;
  settings.initialised = true;
  if (settings.output == kHardcopyPrint) {
    print_window_hardcopy(window, source, settings);
  } else {
    write_hardcopy(window, source, settings);
  }
}

}  // namespace kovw::session
