#include "print/print_port.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QSocketNotifier>
#include <array>

#include "foundation/error_text.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/workflow_state.h"
#include "net/last_socket_error.h"
#include "net/tcp_socket.h"
#include "print/print_service.h"
#include "shell/program_link_handoff.h"
#include "shell/settings_store.h"
#include "shell/startup.h"

namespace kovw::print {

namespace {

// How long the end of the workstation waits for jobs it cancelled.
constexpr int kJobsEndWaitMs = 5000;

}  // namespace

PrintPort::PrintPort(QObject* parent, void* owner) : QObject(parent), owner_(owner) {}

PrintPort::~PrintPort() {
  if (notifier_) notifier_->setEnabled(false);
  if (socket_ >= 0) net::sc_close(socket_);
}

bool PrintPort::open(int port, bool automatic) {
  if (!automatic) {
    // The named event of the fixed port: one workstation per machine serves it.
    guard_ =
        std::make_unique<QLockFile>(QDir::temp().filePath(QStringLiteral("KOVW_PRINT_EVENT.lock")));
    guard_->setStaleLockTime(0);
    if (!guard_->tryLock(0)) {
      foundation::log_printf("Druckdienst: Port %d wird von einer anderen Station bedient", port);
      guard_.reset();
      return false;
    }
  }
  int found = port;
  const int socket = net::sc_listen(port, automatic ? &found : nullptr);
  if (socket < 0) {
    const int error = net::last_socket_error();
    guard_.reset();
    foundation::show_message_number(owner_, 0, error, "KOVW", 10039, " ", port, socket, error);
    return false;
  }
  socket_ = socket;
  port_ = found;
  foundation::log_printf("Open Print Port %d. Result %d", found, socket);
  notifier_ = new QSocketNotifier(socket, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { accept_job(); });
  return true;
}

void PrintPort::accept_job() {
  std::array<char, 64> name{};
  std::array<int, 4> address{};
  const int socket = net::sc_accna(socket_, name, &address);
  if (socket < 0) {
    const int error = net::last_socket_error();
    if (error == foundation::kWSAEWOULDBLOCK) return;
    foundation::show_message_number(owner_, 0, error, "Druckerstart", 10014, socket, error);
    return;
  }
  net::sc_clwait(socket, net::kOptDontLinger);
  foundation::log_printf("New client ok. %s %d.%d.%d.%d", name.data(), address[0], address[1],
                         address[2], address[3]);
  start_print_job(socket, QString::fromUtf8(name.data()));
}

void install_print_service(QObject* main_window, bool open_ports) {
  shell::set_print_link_handler([](shell::NewLink link) {
    start_print_job(link.socket, QString::fromStdU16String(foundation::host_to_wide(link.peer)));
  });
  shell::shell_state().print_port = 0;
  const shell::SettingsRecord& settings = shell::settings();
  if (open_ports && !foundation::workflow_mode() && settings.disable_print_service == 0) {
    auto* port = new PrintPort(main_window, main_window);
    if (port->open(settings.kovw_printer_port, settings.auto_print_port != 0))
      shell::shell_state().print_port = port->port();
    else
      delete port;
  }
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] {
    if (running_print_jobs() == 0) return;
    foundation::log_printf("Druckdienst: %d Aufträge werden abgebrochen", running_print_jobs());
    cancel_print_jobs();
    wait_for_print_jobs(kJobsEndWaitMs);
  });
}

}  // namespace kovw::print
