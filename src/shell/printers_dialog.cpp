#include "shell/printers_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "platform/gui_call.h"
#include "shell/pdf_printer.h"
#include "shell/settings_store.h"
#include "shell/startup.h"
#include "shell/ui_text.h"

namespace kovw::shell {

QList<PrinterLine> installed_printers() {
  QList<PrinterLine> lines;
  const QString default_name = QPrinterInfo::defaultPrinterName();
  bool has_pdf = false;
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
    lines.append({info.printerName(), info.description(), info.location(),
                  info.printerName() == default_name});
    has_pdf = has_pdf || is_pdf_printer_name(info.printerName());
  }
  // The PDF printer is always there; without other printers it is the default.
  if (!has_pdf) {
    const QString folder = pdf_folder(settings().pdf_folder.str(), shell_state().directories.data);
    lines.append({QString::fromLatin1(kPdfPrinterName),
                  ui_text("PDF-Dateien in %1", "PDF files in %1").arg(folder), QString(),
                  lines.isEmpty()});
  }
  return lines;
}

QString printer_line_text(const PrinterLine& printer) {
  QString text = printer.name;
  if (printer.is_default) text += QLatin1Char(' ') + ui_text("(Standard)", "(default)");
  if (!printer.description.isEmpty() && printer.description != printer.name)
    text += QStringLiteral(" - ") + printer.description;
  if (!printer.location.isEmpty())
    text += QStringLiteral(" [") + printer.location + QLatin1Char(']');
  return text;
}

PrintersDialog::PrintersDialog(QWidget* parent) : QDialog(parent), list_(new QListWidget(this)) {
  setWindowTitle(ui_text("Installierte Drucker", "Installed Printers"));
  setAccessibleName(windowTitle());
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(ui_text("&Drucker:", "&Printers:"), this);
  label->setBuddy(list_);
  list_->setAccessibleName(ui_text("Drucker", "Printers"));
  list_->addItem(ui_text("Wird abgefragt ...", "Asking the printer system ..."));
  layout->addWidget(label);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(ui_text("&Schließen", "&Close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void PrintersDialog::set_printers(const QList<PrinterLine>& printers) {
  list_->clear();
  for (const PrinterLine& printer : printers) list_->addItem(printer_line_text(printer));
  if (printers.isEmpty())
    list_->addItem(ui_text("Kein Drucker installiert", "No printer installed"));
  emit printers_listed();
}

PrintersDialog* show_installed_printers(QWidget* parent) {
  auto* dialog = new PrintersDialog(parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  // The printers are asked for on the thread pool; the list goes back to the GUI thread.
  platform::run_in_background([target = QPointer<PrintersDialog>(dialog)]() mutable {
    auto printers = std::make_shared<QList<PrinterLine>>(installed_printers());
    platform::post_to_gui_thread([target = std::move(target), printers] {
      if (target) target->set_printers(*printers);
    });
  });
  return dialog;
}

}  // namespace kovw::shell
