#include "session/view/hardcopy_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "foundation/show_message.h"
#include "session/program/hardcopy_text.h"
#include "shell/ui_text.h"

namespace kovw::session {

namespace {

using shell::message_qtext;
using shell::ui_text;

QRadioButton* radio(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QRadioButton(text, parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

QPushButton* push(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  return button;
}

void say(QWidget* owner, int number) {
  foundation::show_message_number(owner, foundation::kMsgUtf8, 0, "Hardcopy", number);
}

}  // namespace

HardcopyDialog::HardcopyDialog(const HardcopySettings& settings, const HardcopyWindowFacts& facts,
                               QWidget* parent)
    : QDialog(parent), settings_(settings), facts_(facts) {
  setObjectName(QStringLiteral("hardcopy_dialog"));
  setWindowTitle(QStringLiteral("KOVW Hardcopy"));
  auto* layout = new QVBoxLayout(this);

  auto* description = new QLabel(facts.description, this);
  description->setObjectName(QStringLiteral("description"));
  description->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  layout->addWidget(description);

  auto* columns = new QHBoxLayout;
  layout->addLayout(columns);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);

  auto* output_group = new QGroupBox(ui_text("Ausgabeart", "Type of Output"), this);
  auto* output_layout = new QVBoxLayout(output_group);
  print_ = radio(ui_text("Drucken", "Print"), "print", output_group);
  file_ = radio(ui_text("Speichern in Datei", "Save to File"), "file", output_group);
  clipboard_ = radio(ui_text("Zwischenablage", "Clipboard"), "clipboard", output_group);
  for (QRadioButton* button : {print_, file_, clipboard_}) output_layout->addWidget(button);
  left->addWidget(output_group);

  auto* area_group =
      new QGroupBox(ui_text("Ausgabebereich Grafikfenster", "Output Area Graphic Window"), this);
  auto* area_layout = new QFormLayout(area_group);
  width_ = new QLineEdit(area_group);
  height_ = new QLineEdit(area_group);
  width_->setObjectName(QStringLiteral("width"));
  height_->setObjectName(QStringLiteral("height"));
  width_->setReadOnly(true);
  height_->setReadOnly(true);
  area_layout->addRow(ui_text("Fenstermaße: Breite", "Window Size: Width"), width_);
  area_layout->addRow(ui_text("Höhe", "Height"), height_);
  whole_ = radio(ui_text("Gesamtes Fenster", "Whole Window"), "whole", area_group);
  visible_ = radio(ui_text("Nur angezeigter Bereich", "Only visible Area"), "visible", area_group);
  area_layout->addRow(whole_);
  area_layout->addRow(visible_);
  left->addWidget(area_group);

  mode_group_ = new QGroupBox(ui_text("Drucken / Zwischenablage", "Print / Clipboard"), this);
  auto* mode_layout = new QVBoxLayout(mode_group_);
  text_mode_ = radio(ui_text("Textmodus", "Text Mode"), "text_mode", mode_group_);
  graphic_mode_ = radio(ui_text("Grafikmodus", "Graphic Mode"), "graphic_mode", mode_group_);
  mode_layout->addWidget(text_mode_);
  mode_layout->addWidget(graphic_mode_);
  left->addWidget(mode_group_);

  print_group_ = new QGroupBox(ui_text("Drucken", "Print"), this);
  auto* print_layout = new QGridLayout(print_group_);
  printer_ = new QLineEdit(print_group_);
  printer_->setObjectName(QStringLiteral("printer"));
  printer_->setReadOnly(true);
  setup_printer_ =
      push(ui_text("Drucker einstellen", "Setup Printer"), "setup_printer", print_group_);
  setup_page_ = push(ui_text("Seite einrichten", "Setup Page"), "setup_page", print_group_);
  heading_ = new QCheckBox(ui_text("Titelzeile drucken", "Print Heading"), print_group_);
  heading_->setObjectName(QStringLiteral("heading"));
  print_layout->addWidget(printer_, 0, 0, 1, 2);
  print_layout->addWidget(setup_printer_, 1, 0);
  print_layout->addWidget(setup_page_, 1, 1);
  print_layout->addWidget(heading_, 2, 0, 1, 2);
  right->addWidget(print_group_);

  save_group_ = new QGroupBox(ui_text("Speichern", "Save"), this);
  auto* save_layout = new QGridLayout(save_group_);
  save_on_host_ = new QCheckBox(
      ui_text("Speichern über KOVD auf Host", "Save on Host through KOVD"), save_group_);
  save_on_host_->setEnabled(false);
  file_name_ = new QLineEdit(save_group_);
  file_name_->setObjectName(QStringLiteral("file_name"));
  browse_ = push(ui_text("Durchsuchen", "Select"), "browse", save_group_);
  bmp_ = radio(QStringLiteral("Windows Bitmap (BMP)"), "bmp", save_group_);
  pcx_ = radio(QStringLiteral("PC Paintbrush (PCX)"), "pcx", save_group_);
  txt_ =
      radio(ui_text("Nur Text, Windows-Zeichensatz (.txt)", "Text only, Windows-Codepage (.txt)"),
            "txt", save_group_);
  oem_ = radio(ui_text("Nur Text, IBM-Zeichensatz (.oem)", "Text only, IBM-Codepage (.oem)"), "oem",
               save_group_);
  save_layout->addWidget(save_on_host_, 0, 0, 1, 2);
  save_layout->addWidget(file_name_, 1, 0);
  save_layout->addWidget(browse_, 1, 1);
  int row = 2;
  for (QRadioButton* button : {bmp_, pcx_, txt_, oem_})
    save_layout->addWidget(button, row++, 0, 1, 2);
  right->addWidget(save_group_);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("ok"));
  buttons->addButton(ui_text("Abbrechen", "Cancel"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancel"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &HardcopyDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &HardcopyDialog::reject);

  // Each group of radios is exclusive on its own.
  for (const auto& group : {std::initializer_list<QRadioButton*>{print_, file_, clipboard_},
                            {whole_, visible_},
                            {text_mode_, graphic_mode_},
                            {bmp_, pcx_, txt_, oem_}}) {
    auto* exclusive = new QButtonGroup(this);
    for (QRadioButton* button : group) exclusive->addButton(button);
  }

  // The start: a text screen takes a text format, a graphics window a picture format; the
  // area is the whole window; the file name gets the format's extension.
  if (facts_.text_screen) {
    if (!is_text_format(settings_.format)) settings_.format = kHardcopyText;
  } else if (is_text_format(settings_.format)) {
    settings_.format = kHardcopyBmp;
  }
  settings_.area = kHardcopyWholeWindow;
  settings_.file_name = with_format_extension(settings_.file_name, settings_.format);
  file_name_->setText(QString::fromStdString(settings_.file_name));
  printer_->setText(QString::fromStdString(settings_.printer_name));
  heading_->setChecked(!settings_.no_heading);
  whole_->setChecked(true);
  whole_->setEnabled(true);
  visible_->setEnabled(!facts_.text_screen);
  (is_text_format(settings_.format) && facts_.text_screen ? text_mode_ : graphic_mode_)
      ->setChecked(true);
  switch (settings_.format) {
    case kHardcopyPcx:
      pcx_->setChecked(true);
      break;
    case kHardcopyText:
      txt_->setChecked(true);
      break;
    case kHardcopyOemText:
      oem_->setChecked(true);
      break;
    default:
      bmp_->setChecked(true);
      break;
  }
  show_size();
  apply_output(settings_.output);

  connect(print_, &QRadioButton::clicked, this, [this] { apply_output(kHardcopyPrint); });
  connect(file_, &QRadioButton::clicked, this, [this] { apply_output(kHardcopyFile); });
  connect(clipboard_, &QRadioButton::clicked, this, [this] { apply_output(kHardcopyClipboard); });
  connect(bmp_, &QRadioButton::clicked, this, [this] { apply_format(kHardcopyBmp); });
  connect(pcx_, &QRadioButton::clicked, this, [this] { apply_format(kHardcopyPcx); });
  connect(txt_, &QRadioButton::clicked, this, [this] { apply_format(kHardcopyText); });
  connect(oem_, &QRadioButton::clicked, this, [this] { apply_format(kHardcopyOemText); });
  connect(whole_, &QRadioButton::clicked, this, [this] {
    settings_.area = kHardcopyWholeWindow;
    show_size();
  });
  connect(visible_, &QRadioButton::clicked, this, [this] {
    settings_.area = kHardcopyVisibleArea;
    show_size();
  });
  connect(browse_, &QPushButton::clicked, this, &HardcopyDialog::choose_file);
  connect(setup_printer_, &QPushButton::clicked, this, &HardcopyDialog::setup_printer);
  connect(setup_page_, &QPushButton::clicked, this, &HardcopyDialog::setup_page);
  ok_->setDefault(true);
  ok_->setFocus();
}

void HardcopyDialog::apply_output(int output) {
  settings_.output = output;
  (output == kHardcopyFile        ? file_
   : output == kHardcopyClipboard ? clipboard_
                                  : print_)
      ->setChecked(true);
  const bool file = output == kHardcopyFile;
  const bool print = output == kHardcopyPrint;
  save_group_->setEnabled(file);
  file_name_->setEnabled(file);
  browse_->setEnabled(file);
  bmp_->setEnabled(file);
  pcx_->setEnabled(false);
  txt_->setEnabled(file && facts_.text_screen);
  oem_->setEnabled(file && facts_.text_screen);
  save_on_host_->setEnabled(false);
  print_group_->setEnabled(print);
  printer_->setEnabled(print);
  setup_printer_->setEnabled(print);
  heading_->setEnabled(print);
  setup_page_->setEnabled(print && !printer_->text().isEmpty());
  mode_group_->setEnabled(!file);
  graphic_mode_->setEnabled(!file);
  text_mode_->setEnabled(!file && facts_.text_screen);
}

void HardcopyDialog::apply_format(int format) {
  settings_.format = format;
  file_name_->setText(
      QString::fromStdString(switch_extension(file_name_->text().toStdString(), format)));
}

void HardcopyDialog::show_size() {
  QSize size = facts_.text_size;
  if (!facts_.text_screen)
    size = settings_.area == kHardcopyVisibleArea ? facts_.visible_size : facts_.whole_size;
  width_->setText(QString::number(size.width()));
  height_->setText(QString::number(size.height()));
}

void HardcopyDialog::choose_file() {
  const bool text = is_text_format(settings_.format);
  const QString graphic =
      message_qtext(40268) + (settings_.format == kHardcopyPcx ? QStringLiteral(" (*.pcx *.bmp)")
                                                               : QStringLiteral(" (*.bmp *.pcx)"));
  const QString texts = message_qtext(40274) + (settings_.format == kHardcopyOemText
                                                    ? QStringLiteral(" (*.oem *.txt)")
                                                    : QStringLiteral(" (*.txt *.oem)"));
  const QString all = message_qtext(40267) + QStringLiteral(" (*)");
  const QString filters = graphic + QStringLiteral(";;") + texts + QStringLiteral(";;") + all;
  QString selected = text ? texts : graphic;
  const QFileInfo current(file_name_->text());
  const QString directory = current.isDir() ? current.filePath() : current.absolutePath();
  QFileDialog dialog(this, QString(), directory, filters);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QString::fromLatin1(format_extension(settings_.format)));
  dialog.selectNameFilter(selected);
  if (!file_name_->text().isEmpty()) dialog.selectFile(current.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  file_name_->setText(dialog.selectedFiles().first());
}

void HardcopyDialog::setup_printer() {
  QPrinter printer;
  if (!printer_->text().isEmpty()) printer.setPrinterName(printer_->text());
  QPrintDialog dialog(&printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
  if (dialog.exec() != QDialog::Accepted) return;
  QString name = printer.printerName();
  if (printer.outputFormat() == QPrinter::PdfFormat || name.isEmpty()) name = QStringLiteral("PDF");
  printer_->setText(name);
  setup_page_->setEnabled(true);
}

void HardcopyDialog::setup_page() {
  QPrinter printer;
  if (!printer_->text().isEmpty()) printer.setPrinterName(printer_->text());
  const HardcopyMargins& m = settings_.margins;
  printer.setPageMargins(
      QMarginsF(m.left / 100.0, m.top / 100.0, m.right / 100.0, m.bottom / 100.0),
      QPageLayout::Millimeter);
  QPageSetupDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
  settings_.margins = {static_cast<int>(margins.left() * 100 + 0.5),
                       static_cast<int>(margins.top() * 100 + 0.5),
                       static_cast<int>(margins.right() * 100 + 0.5),
                       static_cast<int>(margins.bottom() * 100 + 0.5)};
}

void HardcopyDialog::accept() {
  settings_.output = file_->isChecked()        ? kHardcopyFile
                     : clipboard_->isChecked() ? kHardcopyClipboard
                                               : kHardcopyPrint;
  settings_.no_heading = !heading_->isChecked();
  if (settings_.output == kHardcopyFile) {
    settings_.format = pcx_->isChecked()   ? kHardcopyPcx
                       : txt_->isChecked() ? kHardcopyText
                       : oem_->isChecked() ? kHardcopyOemText
                                           : kHardcopyBmp;
  } else if (text_mode_->isChecked()) {
    if (!is_text_format(settings_.format)) settings_.format = kHardcopyText;
  } else if (is_text_format(settings_.format)) {
    settings_.format = kHardcopyBmp;
  }
  settings_.area = visible_->isChecked() ? kHardcopyVisibleArea : kHardcopyWholeWindow;
  settings_.file_name = file_name_->text().toStdString();
  settings_.printer_name = printer_->text().toStdString();
  const int message = check_hardcopy_choices(settings_, !facts_.text_screen);
  if (message != 0) {
    say(this, message);
    if (message == 40271) file_name_->setFocus();
    if (message == 40275) {
      bmp_->setChecked(true);
      bmp_->setFocus();
    }
    if (message == 40272) setup_printer_->setFocus();
    return;
  }
  file_name_->setText(QString::fromStdString(settings_.file_name));
  QDialog::accept();
}

}  // namespace kovw::session
