#include "shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimerEvent>
#include <QUrl>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/verbose.h"
#include "shell/version.h"

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

QString tr_text(const char* german, const char* english) {
  return QString::fromUtf8(foundation::german() ? german : english);
}

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
}

MainWindow::~MainWindow() {
  status_timer_.stop();
  workflow_timer_.stop();
  if (tray_) tray_->hide();
}

void MainWindow::create_tray_icon() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    foundation::log_printf("Kein Infobereich (Tray) vorhanden");
    return;
  }
  tray_ = new QSystemTrayIcon(workstation_icon(), this);
  tray_->setToolTip(QStringLiteral("KOV Workstation"));
  tray_menu_ = std::make_unique<QMenu>();
  QAction* protocol = tray_menu_->addAction(tr_text("Protokoll kovw.log", "Protocol kovw.log"));
  connect(protocol, &QAction::triggered, this, [] {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(foundation::log_path())));
  });
  tray_menu_->addSeparator();
  QAction* exit = tray_menu_->addAction(tr_text("KOVW &beenden", "Exit &KOVW"));
  connect(exit, &QAction::triggered, this, &MainWindow::end_workstation);
  tray_->setContextMenu(tray_menu_.get());
  tray_->show();
  tray_present_ = true;
}

void MainWindow::set_display_text(const QString& text) {
  display_text_ = text;
  refresh_status();
}

void MainWindow::refresh_status() {
  if (!tray_) return;
  QString tip = QStringLiteral("KOV Workstation\n") + display_text_;
  tray_->setToolTip(tip.left(127));
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
  close();
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
  if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("WM_DESTROY");
  if (tray_) tray_->hide();
  event->accept();
}

}  // namespace kovw::shell
