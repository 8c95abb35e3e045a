#pragma once
// The start-program dialog: the program started on the host after login, its working
// directory and command line, and the environment table sent at login. OK saves the
// settings and the login data; Cancel reloads the stored settings.

#include <QDialog>

#include "shell/settings_record.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace kovw::shell {

class SettingsStore;

class StartProgramDialog : public QDialog {
  Q_OBJECT

 public:
  explicit StartProgramDialog(SettingsStore& store, QWidget* parent = nullptr);

  QLineEdit* program_edit() const { return program_; }
  QLineEdit* directory_edit() const { return directory_; }
  QLineEdit* command_line_edit() const { return command_line_; }
  QListWidget* environment_list() const { return list_; }
  QLineEdit* name_edit() const { return name_; }
  QLineEdit* value_edit() const { return value_; }
  QPushButton* set_button() const { return set_; }
  QPushButton* delete_button() const { return delete_; }
  // The edited environment (the store's record is changed only by OK).
  const SettingsRecord& edited() const { return edited_; }

 public slots:
  void accept() override;
  void reject() override;

 private:
  void fill_list();
  void on_selected(int row);
  void on_set();
  void on_delete();

  SettingsStore& store_;
  SettingsRecord edited_;
  QLineEdit* program_;
  QLineEdit* directory_;
  QLineEdit* command_line_;
  QListWidget* list_;
  QLineEdit* name_;
  QLineEdit* value_;
  QPushButton* set_;
  QPushButton* delete_;
};

// Opens the dialog window-modal over `parent` (it deletes itself when closed).
StartProgramDialog* show_start_program_dialog(QWidget* parent, SettingsStore& store);

}  // namespace kovw::shell
