#include "shell/main_window.h"
#include "shell/macro_state.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "foundation/workflow_state.h"
#include "shell/cache_clean.h"
#include "shell/connection_state.h"
#include "shell/front_door_rules.h"
#include "shell/login_data.h"
#include "shell/login_dialog.h"
#include "shell/password_dialogs.h"
#include "shell/server_connection.h"
#include "shell/server_session_hooks.h"
#include "shell/settings_store.h"
#include "shell/startup.h"

namespace kovw::shell {
namespace {

// The tray icon: drawn here so that the program needs no picture files.
QIcon workstation_icon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0, 84, 147));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  painter.setPen(Qt::white);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setBold(true);
  font.setPixelSize(20);
  painter.setFont(font);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("K"));
  return QIcon(pixmap);
}

// The programs' grace between their stop and the window's destruction.
constexpr int kStopGraceMs = 1000;

}  // namespace

MainWindow::MainWindow(int workflow_timeout_seconds) {
  setObjectName(QStringLiteral("KOV Workstation"));
  setWindowTitle(QStringLiteral("KOVW Main"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_DontShowOnScreen);
  display_text_ = QString::fromUtf8(foundation::message_text(40287));
  create_tray_icon();
  status_timer_.start(1000, this);
  if (workflow_timeout_seconds > 0) {
    workflow_period_ms_ = workflow_timeout_seconds * 1000;
    workflow_timer_.start(workflow_period_ms_, this);
  }
  // The connection is made after the window; its results arrive through the event loop.
  QTimer::singleShot(0, this, [this] {
    if (ServerConnection* c = connection()) {
      connect(c, &ServerConnection::login_finished, this, &MainWindow::on_login_finished);
      connect(c, &ServerConnection::state_changed, this, [this] { refresh_menus(); });
    }
  });
}

MainWindow::~MainWindow() {
  status_timer_.stop();
  workflow_timer_.stop();
  if (tray_) tray_->hide();
  delete login_dialog_.data();
  // The connection ends (and logs out) while this window is still whole: its last state
  // change reaches the menus of this window.
  for (ServerConnection* c : findChildren<ServerConnection*>(Qt::FindDirectChildrenOnly)) {
    delete c;
  }
}

LoginDialog* MainWindow::login_dialog() const {
  return login_dialog_.data();
}

ServerConnection* MainWindow::connection() const {
  return ServerConnection::instance();
}

int MainWindow::program_count() const {
  const auto& titles = server_session_hooks().program_titles;
  return titles ? static_cast<int>(titles().size()) : 0;
}

void MainWindow::create_tray_icon() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    // Without a tray the login dialog stays the way back in: it is never closed to the tray.
    foundation::log_printf("Kein Infobereich (Tray) vorhanden");
    return;
  }
  tray_ = new QSystemTrayIcon(workstation_icon(), this);
  tray_->setToolTip(QStringLiteral("KOV Workstation"));
  build_tray_menu();
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger) {
      tray_menu_->popup(QCursor::pos());
    } else if (r == QSystemTrayIcon::DoubleClick) {
      show_login_dialog();
    }
  });
  tray_->setContextMenu(tray_menu_.get());
  tray_->show();
  tray_present_ = true;
}

void MainWindow::fill_menu(QMenu* menu, int menu_id, int bit) {
  QMenu* cron = nullptr;
  for (const MainCommand& command : main_commands()) {
    if (!(command.menus & bit)) continue;
    QMenu* target = menu;
    if (command.menus & kInCronSubmenu && menu_id == foundation::kMenuLoginDialog) {
      if (!cron) cron = menu->addMenu(cron_submenu_text());
      target = cron;
    }
    QAction* action = target->addAction(main_command_text(menu_id, command.id));
    action->setData(command.id);
    const int id = command.id;
    connect(action, &QAction::triggered, this, [this, id] { run_command(id); });
  }
}

void MainWindow::build_tray_menu() {
  tray_menu_ = std::make_unique<QMenu>();
  tray_menu_->setObjectName(QStringLiteral("trayMenu"));
  fill_menu(tray_menu_.get(), foundation::kMenuTray, kInTrayMenu);
  refresh_menus();
}

QMenuBar* MainWindow::build_login_menu(QWidget* parent) {
  auto* bar = new QMenuBar(parent);
  bar->setObjectName(QStringLiteral("loginMenu"));
  QMenu* menu = bar->addMenu(QString::fromUtf8(foundation::german() ? "&Datei" : "&File"));
  fill_menu(menu, foundation::kMenuLoginDialog, kInLoginMenu);
  login_menu_ = bar;
  return bar;
}

MainMenuState MainWindow::menu_state() const {
  MainMenuState state;
  const ServerConnection* c = connection();
  state.connected = c && c->state() == kStateConnected;
  state.override_active = shell_state().options.overrides.mask != 0;
  state.host_kind = c ? host_kind_of_reply_flags(c->reply_flags()) : 0;
  state.macro_active = macro_active();
  return state;
}

void MainWindow::refresh_menus() {
  const MainMenuState state = menu_state();
  auto refresh = [&state](QWidget* menu) {
    if (!menu) return;
    for (QAction* action : menu->findChildren<QAction*>()) {
      if (action->data().isValid()) {
        action->setEnabled(main_command_enabled(action->data().toInt(), state));
      }
    }
    if (auto* m = qobject_cast<QMenu*>(menu)) {
      for (QAction* action : m->actions()) {
        if (action->data().isValid()) {
          action->setEnabled(main_command_enabled(action->data().toInt(), state));
        }
      }
    }
  };
  refresh(tray_menu_.get());
  if (login_menu_) {
    for (QMenu* menu : login_menu_->findChildren<QMenu*>()) refresh(menu);
  }
}

void MainWindow::run_command(int id) {
  run_main_command(id, *this);
}

QWidget* MainWindow::dialog_parent() {
  return login_dialog_ ? static_cast<QWidget*>(login_dialog_.data()) : this;
}

SettingsStore& MainWindow::settings_store() {
  return shell::settings_store();
}

void MainWindow::request_close() {
  QTimer::singleShot(0, this, [this] { close(); });
}

void MainWindow::activate_login_dialog() {
  if (login_dialog_ && login_dialog_->isVisible()) login_dialog_->activateWindow();
}

void MainWindow::clean_caches() {
  cache_clean(shell_state().directories.data, kCacheAll);
}

void MainWindow::show_login_dialog() {
  if (destroying_) return;
  ServerConnection* c = connection();
  if (!c) return;
  if (!login_dialog_) {
    foundation::log_printf("show_login_dialog %d", 1);
    login_dialog_ =
        new LoginDialog(*c, mutable_settings(), shell_state().login_template == 211, tray_present_);
    connect(login_dialog_, &LoginDialog::close_requested, this, [this] { request_close(); });
    if (login_dialog_made_) login_dialog_->skip_first_time_steps();
    login_dialog_made_ = true;
    login_dialog_->set_menu_bar(build_login_menu(login_dialog_));
    refresh_menus();
  }
  login_dialog_->show();
  login_dialog_->raise();
  login_dialog_->activateWindow();
}

void MainWindow::hide_login_dialog() {
  if (!tray_present_ || !login_dialog_) return;
  login_dialog_->deleteLater();
  login_dialog_ = nullptr;
}

void MainWindow::ask_password_and_log_in(bool first) {
  ServerConnection* c = connection();
  if (!c || destroying_) return;
  asking_password_ = true;
  SettingsRecord& settings = mutable_settings();
  if (first) {
    if (auto stored = load_user_password(settings_store().registry(), settings.user.view(),
                                         settings.host.view(), settings.domain.view())) {
      settings.password = *stored;
      settings.save_passwd |= kPasswordPresent;
      c->supply_password();
      c->do_login(kLoginNormal);
      return;
    }
  }
  auto* dialog = new NewPasswordDialog(
      QString::fromStdU16String(foundation::host_to_wide(settings.user.view())),
      QString::fromStdU16String(foundation::host_to_wide(settings.domain.view())), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowFlag(Qt::Window);
  connect(dialog, &QDialog::finished, this, [this](int result) {
    ServerConnection* conn = connection();
    if (result != QDialog::Accepted || !conn) {
      // Cancelled: the attempts end, the login dialog is the way on.
      asking_password_ = false;
      show_login_dialog();
      return;
    }
    conn->supply_password();
    conn->do_login(kLoginNormal);
  });
  dialog->open();
}

void MainWindow::on_login_finished(int result) {
  refresh_menus();
  refresh_status();
  ServerConnection* c = connection();
  if (result == 0) {
    asking_password_ = false;
    return;
  }
  if (!c || destroying_ || c->settings().auto_end || foundation::workflow_mode()) return;
  if (asking_password_) {
    ask_password_and_log_in(false);
    return;
  }
  show_login_dialog();
}

void MainWindow::set_display_text(const QString& text) {
  display_text_ = text;
  refresh_status();
}

void MainWindow::refresh_status() {
  if (login_dialog_) login_dialog_->refresh_status();
  if (!tray_) return;
  const auto& titles_hook = server_session_hooks().program_titles;
  const std::vector<std::u16string> titles =
      titles_hook ? titles_hook() : std::vector<std::u16string>{};
  const ServerConnection* c = connection();
  if (!titles.empty() && c) {
    tray_->setToolTip(QString::fromStdU16String(
        tray_tip_text(foundation::host_to_wide(c->display_text()), titles.back())));
    return;
  }
  QString tip = QStringLiteral("KOV Workstation\n") + display_text_;
  tray_->setToolTip(tip.left(static_cast<int>(kTrayTipMax)));
}

void MainWindow::on_workflow_tick() {
  if (!activity_) {
    foundation::log_printf("do_logout aus ID_WFTIMER");
    end_workstation();
    return;
  }
  activity_ = false;
  if (workflow_period_ms_ > 1000) {
    workflow_period_ms_ = 1000;
    workflow_timer_.start(workflow_period_ms_, this);
  }
}

void MainWindow::end_workstation() {
  if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("DestroyWindow");
  destroy_in_order();
}

void MainWindow::timerEvent(QTimerEvent* event) {
  if (event->timerId() == status_timer_.timerId()) {
    refresh_status();
  } else if (event->timerId() == workflow_timer_.timerId()) {
    on_workflow_tick();
  } else {
    QWidget::timerEvent(event);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (destroying_) {
    event->accept();
    return;
  }
  // Asking, and the programs' grace, run without holding the close: the window is destroyed
  // when they are done.
  event->ignore();
  close_with_question();
}

void MainWindow::close_with_question() {
  if (closing_ || destroying_) return;
  closing_ = true;
  ServerConnection* c = connection();
  const bool connected = c && c->state() == kStateConnected;
  const int programs = program_count();
  if (auto question = close_question(connected, programs, c ? c->display_text() : std::string())) {
    const int answer = foundation::show_message(this, foundation::kMsgYesNo, 0, "KOVW", "%s",
                                                question->text.c_str());
    if (answer != foundation::kAnswerYes) {
      closing_ = false;
      return;
    }
  }
  const auto& stop = server_session_hooks().stop_programs;
  const int stopped = stop ? stop(0) : 0;
  if (stopped > 0) {
    // The programs get their second to end; the GUI thread does not wait for it.
    QTimer::singleShot(kStopGraceMs, this, [this] { destroy_in_order(); });
  } else {
    destroy_in_order();
  }
}

void MainWindow::destroy_in_order() {
  if (destroying_) return;
  destroying_ = true;
  if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("WM_DESTROY");
  // The window logs out with the quiet logout command: no question, no login dialog.
  if (menu_state().connected) run_main_command(kCmdLogout, *this, kLogoutQuiet);
  if (tray_) tray_->hide();
  delete login_dialog_.data();
  if (foundation::verbose(foundation::kVerboseGeneral)) {
    foundation::log_printf("PostQuitMessage 3");
  }
  close();
}

}  // namespace kovw::shell
