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
#include "print/job_output.h"
#include "print/painter_print_device.h"
#include "print/print_access.h"
#include "print/print_report.h"
#include "session/program/command_table.h"
#include "session/program/print_output.h"
#include "session/program/program_session.h"
#include "session/program/session_host.h"

namespace kovw::print {

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
  const QString origin = QString::fromStdU16String(header.origin);
  JobOutput output(QString::fromStdU16String(header.printer), origin,
                   QStringLiteral("KOVW Print Job %1@%2").arg(origin, peer), header.interactive(),
                   env, cancel);
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
