#pragma once
// The about dialog: program version, build date and time, the connection, the link
// statistics with the compression rate, a button that resets the counters and the check box
// of the transmission trace.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kovw::shell {

class ServerConnection;

// "Version %d.%d / %d" of a version word (major, minor, patch in bits 16, 8 and 0).
QString about_version_line(std::uint32_t version_word);
// One line per statistics counter shown, then the compression rate.
QStringList link_statistics_lines();

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(const ServerConnection* connection, QWidget* parent = nullptr);

  QLabel* version_label() const { return version_; }
  QLabel* statistics_label() const { return statistics_; }
  QPushButton* reset_button() const { return reset_; }
  QCheckBox* trace_box() const { return trace_; }

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void refresh_statistics();

  QLabel* version_;
  QLabel* statistics_;
  QPushButton* reset_;
  QCheckBox* trace_;
  int refresh_timer_ = 0;
};

// Opens the dialog (modeless; it deletes itself when closed).
AboutDialog* show_about_dialog(QWidget* parent, const ServerConnection* connection);

}  // namespace kovw::shell
