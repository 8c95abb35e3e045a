#pragma once
// The modeless login dialog: host, user, password and domain, the host list filled by a host
// search, the slow-connection level, the status line and the company symbol. Logins run
// asynchronously through the server connection; the dialog follows its state.

#include <QBasicTimer>
#include <QDialog>
#include <optional>

#include "shell/front_door_rules.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace kovw::shell {

class ServerConnection;
struct SettingsRecord;

class LoginDialog : public QDialog {
  Q_OBJECT

 public:
  // `with_host_list`: the form with the host list and the search button.
  LoginDialog(ServerConnection& connection, SettingsRecord& settings, bool with_host_list,
              bool tray_present, QWidget* parent = nullptr);
  ~LoginDialog() override;

  // A dialog made again after the first one skips the host search and the first focus.
  void skip_first_time_steps() { shown_once_ = true; }
  // Puts the main menu on top of the dialog.
  void set_menu_bar(QWidget* bar);
  // Refreshes the status line and the enable rules from the connection's state.
  void refresh_status();
  // Starts a host search of `seconds` and refills the list with its answers.
  void search_hosts_for(int seconds);

  // The fields as they stand (for tests and Cancel).
  LoginFields fields() const;
  bool search_running() const { return searching_; }

 signals:
  // Cancel before any failed login (or unchanged after one): the workstation closes.
  void close_requested();
  // A host search filled the list.
  void hosts_listed();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void reject() override;

 private:
  void build();
  void load_fields();
  void show_company_symbol();
  void submit(int kind);
  void on_login_finished(int result);
  void fill_host_list(const HostList& hosts);
  void on_host_clicked(QListWidgetItem* item);
  void on_host_double_clicked(QListWidgetItem* item);

  ServerConnection& connection_;
  SettingsRecord& settings_;
  bool with_host_list_;
  bool tray_present_;
  bool shown_once_ = false;
  bool searching_ = false;
  int search_generation_ = 0;
  std::optional<LoginFields> failed_attempt_;  // the fields of the last failed login
  std::optional<LoginFields> attempt_;         // the fields of the login that runs
  QBasicTimer status_timer_;

  QLabel* title_ = nullptr;
  QLabel* symbol_ = nullptr;
  QLineEdit* host_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* domain_ = nullptr;
  QPushButton* search_ = nullptr;
  QListWidget* hosts_ = nullptr;
  QComboBox* slow_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* change_password_ = nullptr;
  QPushButton* forgotten_password_ = nullptr;
};

}  // namespace kovw::shell
