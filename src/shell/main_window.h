#pragma once
// The shell's hidden main window: it never shows itself, owns the tray icon and the
// shell's timers, and its destruction ends the message loop.

#include <QBasicTimer>
#include <QWidget>
#include <memory>

class QSystemTrayIcon;
class QMenu;

namespace kovw::shell {

// Timer ids of the main window.
inline constexpr int kTimerStatus = 40216;    // status line and tray tip refresh, 1000 ms
inline constexpr int kTimerWorkflow = 40437;  // end a workflow after user inactivity

class MainWindow : public QWidget {
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
  // Ends the workstation in order: the window is destroyed and the loop ends.
  void end_workstation();

 protected:
  void timerEvent(QTimerEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void create_tray_icon();
  void refresh_status();
  void on_workflow_tick();

  QBasicTimer status_timer_;
  QBasicTimer workflow_timer_;
  int workflow_period_ms_ = 0;
  bool activity_ = false;
  bool tray_present_ = false;
  QString display_text_;
  QSystemTrayIcon* tray_ = nullptr;
  std::unique_ptr<QMenu> tray_menu_;
};

}  // namespace kovw::shell
