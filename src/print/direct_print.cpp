#include "print/direct_print.h"

#include <poll.h>
#include <QPagedPaintDevice>
#include <QPainter>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/socket_wait.h"
#include "net/tcp_socket.h"
#include "print/painter_print_device.h"
#include "print/print_access.h"
#include "print/print_report.h"
#include "session/program/command_table.h"
#include "session/program/print_output.h"
#include "session/program/program_session.h"
#include "session/program/session_host.h"

namespace kovw::print {

namespace {

// The job's printer, opened with the first page.
class DirectOutput : public session::PrintOutput {
 public:
  DirectOutput(const JobHeader& header, const QString& peer, const PrintEnvironment& env,
               const std::atomic<bool>& cancel)
      : header_(header), peer_(peer), env_(env), cancel_(cancel) {}
  ~DirectOutput() override { finish(); }

  QPainter* page() override {
    if (cancelled() || failed_) return nullptr;
    if (!opened_.target) {
      const QString origin = QString::fromStdU16String(header_.origin);
      opened_ =
          dp_access(QString::fromStdU16String(header_.printer), origin,
                    QStringLiteral("KOVW Print Job %1@%2").arg(origin, peer_), env_, &cancel_);
      if (!opened_.target) {
        failed_ = true;
        report_print_error({opened_.message, opened_.system_error, opened_.location,
                            print_message(opened_.message, opened_.name.toUtf8().constData())},
                           header_.interactive());
        return nullptr;
      }
    }
    if (!painter_.isActive()) {
      if (!painter_.begin(opened_.target->device())) {
        failed_ = true;
        return nullptr;
      }
      ++pages_;
      page_open_ = true;
    } else if (!page_open_) {
      if (!opened_.target->device()->newPage()) {
        failed_ = true;
        return nullptr;
      }
      ++pages_;
      page_open_ = true;
    }
    return &painter_;
  }
  void end_page() override { page_open_ = false; }
  int resolution() const override { return opened_.target ? opened_.target->resolution() : 600; }
  bool cancelled() const override { return cancel_.load(std::memory_order_relaxed); }

  void finish() {
    if (!opened_.target || finished_) return;
    finished_ = true;
    if (!painter_.isActive()) {
      opened_.target->finish(false);  // nothing was drawn: nothing is kept
      return;
    }
    const bool abort = cancelled() || failed_;
    if (abort) opened_.target->abort();
    painter_.end();
    if (!opened_.target->finish(!abort)) failed_ = true;
  }
  bool failed() const { return failed_; }
  const OpenedPrinter& opened() const { return opened_; }
  int pages() const { return pages_; }

 private:
  const JobHeader& header_;
  QString peer_;
  const PrintEnvironment& env_;
  const std::atomic<bool>& cancel_;
  OpenedPrinter opened_;
  QPainter painter_;
  bool page_open_ = false;
  bool failed_ = false;
  bool finished_ = false;
  int pages_ = 0;
};

}  // namespace

DirectPrintResult direct_print_loop(int socket, const JobHeader& header, const QString& peer,
                                    const PrintEnvironment& env, const std::atomic<bool>& cancel,
                                    const session::CommandTable* table) {
  DirectPrintResult result;
  session::ProgramSession session;
  session.link.attach(socket);
  session.link.set_net_timeout(env.send_timeout_ms);
  session.to_view = std::make_shared<session::EventChannel>();  // no windows: posts are dropped
  auto hooks = std::make_shared<session::SessionHost>(*session::session_host());
  hooks->keep_alive_seconds = 0;
  session.host_hooks = hooks;
  session.title = peer.toStdString();
  session.caption = "KOVW Print";
  DirectOutput output(header, peer, env, cancel);
  session.print_output = &output;

  const session::CommandTable& commands = table ? *table : session::program_commands();
  while (!cancel.load(std::memory_order_relaxed)) {
    const int ready = net::wait_for_socket(socket, POLLIN, env.record_wait_ms);
    if (ready <= 0) {
      result = {false, 10037, ready == 0 ? net::kScTimeout : net::kScRecv,
                ready == 0 ? foundation::kWSAETIMEDOUT : foundation::kWSAECONNABORTED, 0};
      break;
    }
    const net::LinkResult received = session.link.receive(net::kSkipKeepAlive);
    if (received.value == 0) break;  // the host ended the link
    if (received.value < 0) {
      result = {false, 10037, received.value, received.error, 0};
      break;
    }
    const net::LinkMessage& message = session.link.message();
    if (message.service == net::KWD_KOMM && message.type == net::KWK_KRECONNECT) {
      // A print link has no program thread to move to.
      foundation::log_printf("Direktdruck: %d/%d nicht bedient", message.service, message.type);
    } else {
      session::dispatch_command(commands, session, message, session.link.payload());
    }
    session.link.frame_done();
  }
  output.finish();
  session.print_output = nullptr;
  session.link.release();
  result.pages = output.pages();
  if (result.ok && output.failed()) {
    result.ok = false;
    result.message = output.opened().message != 0 ? output.opened().message : 40315;
    result.error = output.opened().system_error;
  }
  return result;
}

}  // namespace kovw::print
