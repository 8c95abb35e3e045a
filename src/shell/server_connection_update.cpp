// The download of the updater when the daemon offers a newer version at login: the login
// reply waits while the daemon sends the updater over the server link; a declined, cancelled
// or refused update lets the login go on, a started updater ends the workstation.
#include <QTimer>
#include <algorithm>
#include <cerrno>

#include "foundation/log.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "shell/main_window.h"
#include "shell/server_connection.h"
#include "shell/startup.h"
#include "shell/ui_text.h"
#include "shell/update_offer.h"

namespace kovw::shell {

namespace {

// Progress windows are shown from this size on; smaller downloads end before one is seen.
constexpr std::uint64_t kProgressFrom = 64 * 1024;

// The request's word: the system family (none of the listed ones here) and the slow-connect
// level in bits 5 and 6.
std::int32_t update_request_word(int slow_connect) {
  return (std::clamp(slow_connect, 0, 3) << 5);
}

}  // namespace

bool ServerConnection::begin_update(const protocol::LoginReply& reply) {
  const int offered = reply.update_version.value_or(0);
  const std::uint64_t size =
      static_cast<std::uint64_t>(std::max<std::int32_t>(0, reply.update_size.value_or(0)));
  if (!ask_for_update(window_, static_cast<int>(shell_state().version_word), offered, reply.changes,
                      link_.encryption_on())) {
    return false;
  }
  const UpdateFiles files = this_program_update_files();
  if (const int error = write_app_file(files)) {
    foundation::show_message_number(window_, foundation::kMsgUtf8, 0, "Update", 10060,
                                    files.app_file.c_str(), error);
    login_failed(-2);
    return true;
  }
  update_download_ = std::make_unique<UpdaterDownload>(files.updater, size);
  if (const int error = update_download_->open()) {
    foundation::show_message_number(window_, foundation::kMsgUtf8, 0, "Update", 10060,
                                    files.updater.c_str(), error);
    update_download_.reset();
    login_failed(-2);
    return true;
  }
  protocol::Bytes payload;
  protocol::PayloadWriter(payload).int_field(update_request_word(settings_.effective_slow_connect));
  if (const int sent = send(net::KWK_KUPDATE, payload); sent < 0) {
    end_update();
    foundation::show_message_number(window_, 0, 0, "Update", 10038, display_text_.c_str(), sent,
                                    send_error_);
    login_failed(-2);
    return true;
  }
  foundation::log_printf("Update: %s wird geladen (%llu Bytes)", files.updater.c_str(),
                         static_cast<unsigned long long>(size));
  pending_reply_ = std::make_unique<protocol::LoginReply>(reply);
  update_size_ = size;
  phase_ = Phase::Updating;
  if (size >= kProgressFrom && !foundation::unattended()) {
    update_progress_ = new QProgressDialog(window_);
    update_progress_->setWindowTitle(QStringLiteral("Update"));
    update_progress_->setLabelText(QString::fromStdString(files.updater.filename().string()));
    update_progress_->setCancelButtonText(ui_text("Abbrechen", "Cancel"));
    update_progress_->setRange(0, 1000);
    update_progress_->setMinimumDuration(0);
    connect(update_progress_, &QProgressDialog::canceled, this, [this] {
      if (update_download_) update_download_->cancel();
    });
    update_progress_->show();
  }
  return true;
}

void ServerConnection::end_update() {
  delete update_progress_.data();
  update_download_.reset();  // a download that did not finish takes its file with it
}

void ServerConnection::handle_update_frame(const net::LinkMessage& message,
                                           std::span<const std::uint8_t> payload) {
  if (!update_download_) return;
  const UpdaterDownload::State state = update_download_->take(message.type, payload);
  if (state == UpdaterDownload::State::Receiving) {
    if (update_progress_ && update_size_ > 0) {
      update_progress_->setValue(
          static_cast<int>(update_download_->received() * 1000 / update_size_));
    }
    return;
  }
  const UpdaterDownload& download = *update_download_;
  std::unique_ptr<protocol::LoginReply> reply = std::move(pending_reply_);
  if (state == UpdaterDownload::State::Cancelled) {
    end_update();
    foundation::log_printf("Update abgebrochen");
    phase_ = Phase::AwaitLogin;
    continue_login_reply(*reply);
    return;
  }
  if (state == UpdaterDownload::State::Failed) {
    foundation::show_message_number(window_, foundation::kMsgUtf8, 0, "Update", download.message(),
                                    download.message_text().c_str(), download.error());
    end_update();
    login_failed(-2);
    return;
  }
  delete update_progress_.data();
  const UpdateFiles files = this_program_update_files();
  const int result =
      run_downloaded_updater(window_, files, files.app_file.parent_path(), update_size_);
  update_download_.reset();
  if (result == 0) {
    phase_ = Phase::AwaitLogin;
    continue_login_reply(*reply);
    return;
  }
  login_failed(result);
  if (result == -1 && window_) {
    // The updater replaces this program: the workstation ends.
    QTimer::singleShot(0, window_, [w = QPointer<MainWindow>(window_)] {
      if (w) w->end_workstation();
    });
  }
}

}  // namespace kovw::shell
