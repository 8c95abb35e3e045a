#include "shell/start_program_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/show_message.h"
#include "shell/environment_table.h"
#include "shell/settings_store.h"
#include "shell/ui_text.h"

namespace kovw::shell {

namespace {

QLineEdit* labelled_edit(QWidget* parent, QFormLayout* form, const QString& label, int max_length) {
  auto* edit = new QLineEdit(parent);
  edit->setMaxLength(max_length);
  auto* text = new QLabel(label, parent);
  text->setBuddy(edit);
  edit->setAccessibleName(QString(label).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
  form->addRow(text, edit);
  return edit;
}

// The 8-bit form of a field's text, cut to the field.
std::string field_bytes(const QLineEdit* edit, int max_length) {
  QByteArray bytes = edit->text().toLocal8Bit();
  if (bytes.size() > max_length) bytes.truncate(max_length);
  return bytes.toStdString();
}

}  // namespace

StartProgramDialog::StartProgramDialog(SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store), edited_(store.record()) {
  setWindowTitle(ui_text("Programm starten", "Program to start"));
  setAccessibleName(windowTitle());
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
  program_ = labelled_edit(this, form, ui_text("&Programm:", "Start &program:"), 259);
  directory_ =
      labelled_edit(this, form, ui_text("&Arbeitsverzeichnis:", "&Working directory:"), 259);
  command_line_ = labelled_edit(this, form, ui_text("&Kommandozeile:", "&Command line:"), 2047);
  layout->addLayout(form);

  auto* group = new QGroupBox(ui_text("&Umgebung", "&Environment"), this);
  auto* group_layout = new QHBoxLayout(group);
  list_ = new QListWidget(group);
  list_->setAccessibleName(ui_text("Umgebungsvariablen", "Environment variables"));
  group_layout->addWidget(list_, 1);
  auto* entry = new QVBoxLayout;
  auto* entry_form = new QFormLayout;
  name_ = labelled_edit(group, entry_form, ui_text("&Name:", "&Name:"), 31);
  value_ = labelled_edit(group, entry_form, ui_text("We&rt:", "&Value:"), 231);
  entry->addLayout(entry_form);
  set_ = new QPushButton(ui_text("&Setzen", "&Set"), group);
  set_->setAccessibleName(ui_text("Setzen", "Set"));
  set_->setAutoDefault(false);
  delete_ = new QPushButton(ui_text("&Löschen", "&Delete"), group);
  delete_->setAccessibleName(ui_text("Löschen", "Delete"));
  delete_->setAutoDefault(false);
  auto* entry_buttons = new QHBoxLayout;
  entry_buttons->addWidget(set_);
  entry_buttons->addWidget(delete_);
  entry_buttons->addStretch();
  entry->addLayout(entry_buttons);
  entry->addStretch();
  group_layout->addLayout(entry, 1);
  layout->addWidget(group, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(ui_text("Abbrechen", "Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &StartProgramDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &StartProgramDialog::reject);
  layout->addWidget(buttons);

  connect(list_, &QListWidget::currentRowChanged, this, &StartProgramDialog::on_selected);
  connect(set_, &QPushButton::clicked, this, &StartProgramDialog::on_set);
  connect(delete_, &QPushButton::clicked, this, &StartProgramDialog::on_delete);

  program_->setText(QString::fromLocal8Bit(edited_.start_program.c_str()));
  directory_->setText(QString::fromLocal8Bit(edited_.working_directory.c_str()));
  command_line_->setText(QString::fromLocal8Bit(edited_.command_line.c_str()));
  fill_list();
}

void StartProgramDialog::fill_list() {
  list_->clear();
  const int used = std::clamp(edited_.environment_used, 0, kEnvironmentEntries);
  for (int i = 0; i < used; ++i) {
    const EnvironmentEntry& entry = edited_.environment[static_cast<std::size_t>(i)];
    list_->addItem(QString::fromLocal8Bit(entry.name.c_str()) + QLatin1Char('=') +
                   QString::fromLocal8Bit(entry.value.c_str()));
  }
  delete_->setEnabled(false);
}

void StartProgramDialog::on_selected(int row) {
  const bool valid = row >= 0 && row < std::clamp(edited_.environment_used, 0, kEnvironmentEntries);
  delete_->setEnabled(valid);
  if (!valid) return;
  const EnvironmentEntry& entry = edited_.environment[static_cast<std::size_t>(row)];
  name_->setText(QString::fromLocal8Bit(entry.name.c_str()));
  value_->setText(QString::fromLocal8Bit(entry.value.c_str()));
}

void StartProgramDialog::on_set() {
  const std::string name = field_bytes(name_, 31);
  switch (set_environment_entry(edited_, name, field_bytes(value_, 231))) {
    case EnvironmentEdit::added:
    case EnvironmentEdit::changed:
      fill_list();
      list_->setCurrentRow(find_environment_entry(edited_, name));
      break;
    case EnvironmentEdit::full:
      foundation::show_message_number(this, 0, 0, "KOVW", 10050);
      break;
    case EnvironmentEdit::invalid:
      name_->setFocus();
      break;
  }
}

void StartProgramDialog::on_delete() {
  if (!remove_environment_entry(edited_, list_->currentRow())) return;
  fill_list();
  name_->clear();
  value_->clear();
}

void StartProgramDialog::accept() {
  SettingsRecord& record = store_.record();
  record.start_program.assign(field_bytes(program_, 259));
  record.working_directory.assign(field_bytes(directory_, 259));
  record.command_line.assign(field_bytes(command_line_, 2047));
  record.environment = edited_.environment;
  record.environment_used = edited_.environment_used;
  record.environ_count = edited_.environment_used;
  store_.save_settings(true);
  store_.save_login();
  QDialog::accept();
}

void StartProgramDialog::reject() {
  store_.load_settings(true);
  QDialog::reject();
}

StartProgramDialog* show_start_program_dialog(QWidget* parent, SettingsStore& store) {
  auto* dialog = new StartProgramDialog(store, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}

}  // namespace kovw::shell
