#include "shell/about_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

#include "build_info.h"
#include "net/link_state.h"
#include "net/link_stats.h"
#include "shell/server_connection.h"
#include "shell/transfer_statistics.h"
#include "shell/ui_text.h"
#include "shell/version.h"

namespace kovw::shell {

namespace {

constexpr int kRefreshMs = 1000;

QString count_line(const char* german, const char* english, std::uint64_t value) {
  return ui_text(german, english).arg(QString::number(value));
}

QString transfer_line(const QString& format, const TransferTotals& totals) {
  return format.arg(QString::number(totals.bytes), QString::number(totals.rate() / 1024.0, 'f', 1));
}

}  // namespace

QString about_version_line(std::uint32_t version_word) {
  return QString::asprintf("Version %d.%d / %d", static_cast<int>((version_word >> 16) & 0xFF),
                           static_cast<int>((version_word >> 8) & 0xFF),
                           static_cast<int>(version_word & 0xFF));
}

QStringList link_statistics_lines() {
  const net::LinkStatistics& s = net::link_stats();
  const auto get = [](const std::atomic<std::uint64_t>& counter) {
    return counter.load(std::memory_order_relaxed);
  };
  return {
      count_line("Gesendet: %1 Bytes", "Sent: %1 bytes", get(s.bytes_sent)),
      count_line("Empfangen: %1 Bytes", "Received: %1 bytes", get(s.bytes_received)),
      count_line("Nutzdaten: %1 Bytes", "Payload: %1 bytes", get(s.payload_bytes)),
      count_line("Brutto: %1 Bytes", "Gross: %1 bytes", get(s.gross_bytes)),
      count_line("Komprimiert: %1 Bytes", "Compressed: %1 bytes", get(s.compressed_bytes)),
      count_line("Unkomprimiert: %1 Bytes", "Uncompressed: %1 bytes", get(s.uncompressed_bytes)),
      count_line("Kompressionsrate: %1 %", "Compression rate: %1 %",
                 net::link_stats_compression_rate()),
      transfer_line(
          ui_text("Dateien vom Host: %1 Bytes, %2 KB/s", "Files from host: %1 bytes, %2 KB/s"),
          transfer_totals(TransferDirection::Download)),
      transfer_line(
          ui_text("Dateien zum Host: %1 Bytes, %2 KB/s", "Files to host: %1 bytes, %2 KB/s"),
          transfer_totals(TransferDirection::Upload)),
  };
}

AboutDialog::AboutDialog(const ServerConnection* connection, QWidget* parent) : QDialog(parent) {
  setWindowTitle(ui_text("KOVW Info", "About KOVW"));
  setAccessibleName(windowTitle());
  auto* layout = new QVBoxLayout(this);

  auto* title = new QLabel(QString::fromStdString(window_title()), this);
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.4);
  title->setFont(bold);
  title->setAccessibleName(title->text());
  layout->addWidget(title);

  version_ = new QLabel(about_version_line(version_word(KOVW_VERSION_STRING)), this);
  version_->setAccessibleName(version_->text());
  layout->addWidget(version_);
  auto* built =
      new QLabel(ui_text("Erstellt am %1", "Built %1").arg(QStringLiteral(KOVW_BUILD_DATE)), this);
  built->setAccessibleName(built->text());
  layout->addWidget(built);
  QString connected = message_qtext(kStateNotConnected);
  if (connection != nullptr && connection->state() == kStateConnected)
    connected = ui_text("Verbunden mit %1", "Connected to %1")
                    .arg(QString::fromLocal8Bit(connection->display_text().c_str()));
  auto* link = new QLabel(connected, this);
  link->setAccessibleName(link->text());
  layout->addWidget(link);

  auto* group = new QGroupBox(ui_text("Übertragung", "Transmission"), this);
  auto* group_layout = new QVBoxLayout(group);
  statistics_ = new QLabel(group);
  statistics_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  statistics_->setAccessibleName(ui_text("Übertragungsstatistik", "Transmission statistics"));
  group_layout->addWidget(statistics_);
  reset_ = new QPushButton(ui_text("Zähler &rücksetzen", "&Reset Counter"), group);
  reset_->setAccessibleName(ui_text("Zähler rücksetzen", "Reset Counter"));
  reset_->setAutoDefault(false);
  group_layout->addWidget(reset_, 0, Qt::AlignLeft);
  trace_ = new QCheckBox(
      ui_text("&Übertragungsprotokoll nach kovw.log", "&Write transmission protocoll to kovw.log"),
      group);
  trace_->setAccessibleName(
      ui_text("Übertragungsprotokoll nach kovw.log", "Write transmission protocoll to kovw.log"));
  trace_->setChecked(net::link_trace_enabled());
  group_layout->addWidget(trace_);
  layout->addWidget(group);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);

  connect(reset_, &QPushButton::clicked, this, [this] {
    net::link_stats_reset();
    refresh_statistics();
  });
  connect(trace_, &QCheckBox::toggled, this, [](bool on) { net::set_link_trace(on); });
  refresh_statistics();
  refresh_timer_ = startTimer(kRefreshMs);
}

void AboutDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() == refresh_timer_)
    refresh_statistics();
  else
    QDialog::timerEvent(event);
}

void AboutDialog::refresh_statistics() {
  statistics_->setText(link_statistics_lines().join(QLatin1Char('\n')));
}

AboutDialog* show_about_dialog(QWidget* parent, const ServerConnection* connection) {
  auto* dialog = new AboutDialog(connection, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

}  // namespace kovw::shell
