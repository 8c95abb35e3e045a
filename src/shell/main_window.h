#pragma once
// The shell's hidden main window: it never shows itself, owns the tray icon, the login
// dialog and the shell's timers, and its destruction ends the message loop.

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "shell/main_commands.h"

class QAction;
class QMenuBar;
class QSystemTrayIcon;
class QMenu;

namespace kovw::shell {

class LoginDialog;
class ServerConnection;

// Timer ids of the main window.
inline constexpr int kTimerStatus = 40216;    // status line and tray tip refresh, 1000 ms
inline constexpr int kTimerWorkflow = 40437;  // end a workflow after user inactivity

class MainWindow : public QWidget, public MainCommandHost {
  Q_OBJECT

 public:
  // `workflow_timeout_seconds` > 0 starts the workflow time-out.
  explicit MainWindow(int workflow_timeout_seconds = 0);
  ~MainWindow() override;

  bool tray_icon_present() const { return tray_present_; }
  // Text of the connection state shown in the tray tip and the status line.
  void set_display_text(const QString& text);
  // Marks user activity (for the workflow time-out).
  void note_activity() { activity_ = true; }
  // Ends the workstation in order without asking: the window is destroyed and the loop ends.
  void end_workstation();

  // Creates the login dialog when none exists, and shows and activates it.
  void show_login_dialog() override;
  // Closes the login dialog to the tray (only when the tray icon exists).
  void hide_login_dialog() override;
  LoginDialog* login_dialog() const;
  // The password is asked for each attempt: the stored one the first time, else the
  // new-password dialog; logs in, and asks again after a failed login.
  void ask_password_and_log_in(bool first);
  // Runs a command of the menus.
  void run_command(int id);
  QMenu* tray_menu() const { return tray_menu_.get(); }

  // The commands' host.
  QWidget* dialog_parent() override;
  SettingsStore& settings_store() override;
  ServerConnection* server_connection() override { return connection(); }
  MainMenuState menu_state() const override;
  int running_programs() const override { return program_count(); }
  void request_close() override;
  void activate_login_dialog() override;
  void refresh_menus() override;
  void clean_caches() override;

 protected:
  void timerEvent(QTimerEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void create_tray_icon();
  void build_tray_menu();
  void refresh_status();
  // The login dialog's menu bar, built from the command table.
  QMenuBar* build_login_menu(QWidget* parent);
  void fill_menu(QMenu* menu, int menu_id, int bit);
  void on_workflow_tick();
  void on_login_finished(int result);
  // Asks before closing; stops the programs and destroys the window after their grace.
  void close_with_question();
  // The destruction in order: logout, tray icon, login dialog, then the end of the loop.
  void destroy_in_order();
  ServerConnection* connection() const;
  int program_count() const;

  QBasicTimer status_timer_;
  QBasicTimer workflow_timer_;
  int workflow_period_ms_ = 0;
  bool activity_ = false;
  bool tray_present_ = false;
  bool closing_ = false;  // a close question or the programs' grace runs
  bool destroying_ = false;
  bool asking_password_ = false;
  bool login_dialog_made_ = false;  // the first-time steps of the login dialog are done  // the
                                    // password is asked for each attempt
  QString display_text_;
  QSystemTrayIcon* tray_ = nullptr;
  std::unique_ptr<QMenu> tray_menu_;
  QPointer<QMenuBar> login_menu_;
  QPointer<LoginDialog> login_dialog_;
};

}  // namespace kovw::shell
