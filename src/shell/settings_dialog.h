#pragma once
// The general settings dialog: every value of the settings record that a user edits, in
// tabs. OK applies the edit rules, tells when a change needs a new start, saves the settings
// and the login data and registers the file type again; Cancel reloads the stored settings.
//
// Every editing control carries the name of its value ("Cursor Width", "Save Passwd/0" for
// bit 0 of a value) as its object name.

#include <QDialog>
#include <functional>
#include <vector>

#include "shell/settings_record.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace kovw::shell {

class SettingsStore;

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialog(SettingsStore& store, QWidget* parent = nullptr);

  // Shows the record's values in the controls.
  void load_from(const SettingsRecord& record);
  // Writes the controls' values into `record` (the edit rules not yet applied).
  void store_into(SettingsRecord& record) const;

  QTabWidget* tabs() const { return tabs_; }

 public slots:
  void accept() override;
  void reject() override;

 private:
  QFormLayout* add_tab(const QString& title);
  QCheckBox* add_check(QFormLayout* form, const char* name, const QString& text,
                       std::int32_t SettingsRecord::*field, std::int32_t bit = 0);
  QSpinBox* add_number(QFormLayout* form, const char* name, const QString& text,
                       std::int32_t SettingsRecord::*field, int minimum, int maximum);
  QDoubleSpinBox* add_points(QFormLayout* form, const char* name, const QString& text,
                             std::int32_t SettingsRecord::*field);
  QComboBox* add_font(QFormLayout* form, const char* name, const QString& text,
                      FixedString<256> SettingsRecord::*field);
  QComboBox* add_choice(QFormLayout* form, const char* name, const QString& text,
                        std::int32_t SettingsRecord::*field,
                        const std::vector<std::pair<int, QString>>& choices);
  template <typename Field>
  QLineEdit* add_text(QFormLayout* form, const char* name, const QString& text,
                      Field SettingsRecord::*field, int max_length);
  void add_row(QFormLayout* form, const QString& text, QWidget* field);
  void follow_daemon_port();

  SettingsStore& store_;
  QTabWidget* tabs_ = nullptr;
  QSpinBox* kovd_port_ = nullptr;
  QSpinBox* kovw_port_ = nullptr;
  QCheckBox* automatic_port_ = nullptr;
  std::vector<std::function<void(const SettingsRecord&)>> loaders_;
  std::vector<std::function<void(SettingsRecord&)>> storers_;
};

// Opens the dialog window-modal over `parent` (it deletes itself when closed).
SettingsDialog* show_settings_dialog(QWidget* parent, SettingsStore& store);

}  // namespace kovw::shell
