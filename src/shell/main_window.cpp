#include "shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
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

// Commands of the tray menu.
constexpr int kCommandLogout = 40002;
constexpr int kCommandExit = 40003;
constexpr int kCommandRestore = 40018;
constexpr int kCommandHide = 40020;
constexpr int kCommandProtocol = 40063;

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

void MainWindow::build_tray_menu() {
  tray_menu_ = std::make_unique<QMenu>();
  tray_menu_->setObjectName(QStringLiteral("trayMenu"));
  auto add = [this](int id) {
    QAction* action =
        tray_menu_->addAction(QString::fromUtf8(foundation::menu_text(foundation::kMenuTray, id)));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { run_command(id); });
  };
  add(kCommandRestore);
  add(kCommandHide);
  tray_menu_->addSeparator();
  add(kCommandLogout);
  add(kCommandProtocol);
  tray_menu_->addSeparator();
  add(kCommandExit);
  refresh_menus();
}

void MainWindow::refresh_menus() {
  if (!tray_menu_) return;
  const ServerConnection* c = connection();
  const bool connected = c && c->state() == kStateConnected;
  for (QAction* action : tray_menu_->actions()) {
    if (action->data().toInt() == kCommandLogout) action->setEnabled(connected);
  }
}

void MainWindow::run_command(int id) {
  ServerConnection* c = connection();
  switch (id) {
    case kCommandLogout: {
      if (!c || c->state() != kStateConnected) break;
      const int programs = program_count();
      if (programs > 0 &&
          foundation::show_message_number(this, foundation::kMsgYesNo, 0, "Logout", 10021,
                                          programs) != foundation::kAnswerYes) {
        break;
      }
      foundation::log_printf("%s (%s:%d)", "do_logout aus IDM_LOGOUT", __FILE__, __LINE__);
      c->do_logout(true);
      refresh_menus();
      if (c->settings().auto_end) {
        end_workstation();
        return;
      }
      show_login_dialog();
      break;
    }
    case kCommandExit:
      QTimer::singleShot(0, this, [this] { close(); });
      break;
    case kCommandRestore:
      show_login_dialog();
      break;
    case kCommandHide:
      close_login_dialog();
      break;
    case kCommandProtocol:
      QDesktopServices::openUrl(
          QUrl::fromLocalFile(QString::fromStdString(foundation::log_path())));
      break;
    default:
      break;
  }
  if (login_dialog_ && login_dialog_->isVisible()) login_dialog_->activateWindow();
  foundation::log_printf("Command %d fertig", id);
}

void MainWindow::show_login_dialog() {
  if (destroying_) return;
  ServerConnection* c = connection();
  if (!c) return;
  if (!login_dialog_) {
    foundation::log_printf("show_login_dialog %d", 1);
    login_dialog_ =
        new LoginDialog(*c, mutable_settings(), shell_state().login_template == 211, tray_present_);
    connect(login_dialog_, &LoginDialog::close_requested, this,
            [this] { QTimer::singleShot(0, this, [this] { close(); }); });
  }
  login_dialog_->show();
  login_dialog_->raise();
  login_dialog_->activateWindow();
}

void MainWindow::close_login_dialog() {
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
  if (ServerConnection* c = connection()) c->logout_for_destruction();
  if (tray_) tray_->hide();
  delete login_dialog_.data();
  if (foundation::verbose(foundation::kVerboseGeneral)) {
    foundation::log_printf("PostQuitMessage 3");
  }
  close();
}

}  // namespace kovw::shell
