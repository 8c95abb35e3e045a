#include "session/program/program_link.h"

#include <QString>
#include <atomic>

#include "foundation/error_text.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "net/fields.h"
#include "net/link.h"
#include "net/link_names.h"
#include "net/socket_errors.h"
#include "net/tcp_socket.h"
#include "session/program/macro_session.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/program/text_output.h"

namespace kovw::session {

namespace {

std::atomic<int> g_awaiting{0};
std::atomic<int> g_cap{kMaxLinksAwaitingIntroduction};
std::atomic<long long> g_introduction_ms{kIntroductionTimeout.count()};

// Errors after which nothing more can be sent on the link.
bool link_is_dead(int error) {
  return error == foundation::kWSAECONNRESET || error == foundation::kWSAECONNABORTED ||
         error == foundation::kWSAENOTCONN || error == foundation::kWSAESHUTDOWN ||
         error == foundation::kWSAENOTSOCK;
}

const char* server_host(const ProgramSession& session) {
  return session.host_hooks ? session.host_hooks->server_host_name.c_str() : "";
}

// The link broke while the program runs: tell the user once, close it and end the program.
void lose_link(ProgramSession& session, int message, int result, int error) {
  foundation::log_printf("%s: Verbindung verloren %d/%d", session.title.c_str(), result, error);
  // Receive errors are shown once the program has windows and the system named an error.
  const bool show = message != 10037 || (session.windows_created && error != 0);
  if (show && !session.link_lost_reported) {
    session.link_lost_reported = true;
    foundation::show_message_number(nullptr, 0, 0, session.caption.c_str(), message,
                                    server_host(session), -result, error);
  }
  if (session.super != nullptr) session.super->close_link();
  end_program(session);
}

// A failed receive or a frame that cannot be decoded leaves no way to find the next frame: the
// link is reported once and the program ends, instead of a box per notification.
void receive_failed(ProgramSession& session, int result, int error) {
  foundation::log_printf("dt_receive: Fehler %d/%d", result, error);
  lose_link(session, 10037, result, error);
}

void close_by_client(ProgramSession& session) {
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("Close call by client");
  if (session.super != nullptr) session.super->close_link();
  end_program(session);
}

}  // namespace

int dt_send(ProgramSession& session, int service, int type, const void* payload, int length,
            const char* file, int line) {
  text_flush(session);  // the view gets the host's output before the host gets a reply
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("Send Data %d/%d Len %d (%s:%d)", service, type, length, file, line);
  if (!session.link.is_open() || length < 0) return -1;
  net::LinkMessage message;
  message.service = static_cast<std::uint8_t>(service);
  message.type = static_cast<std::uint8_t>(type);
  message.length = length;
  for (;;) {
    const net::LinkResult sent = session.link.send(message, payload);
    const int result = sent.value;
    session.activity = true;
    if (result >= 0) {
      macro_note_sent(
          session, service, type,
          {static_cast<const std::uint8_t*>(payload), static_cast<std::size_t>(length)});
      return result;
    }
    const int error = sent.error;
    if (link_is_dead(error)) {
      lose_link(session, 10038, result, error);
      return -1;
    }
    const int answer = foundation::show_message_number(nullptr, foundation::kMsgRetryCancel, 0,
                                                       session.caption.c_str(), 10038,
                                                       server_host(session), -result, error);
    if (answer != foundation::kAnswerRetry || !session.link.is_open()) return -1;
  }
}

void dt_receive(ProgramSession& session) {
  if (!session.link.is_open()) return;
  if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("Data from client");
  const net::ReceiveStep step = session.link.receive_step();
  session.activity = true;
  if (session.super != nullptr) session.super->watch_frame(session.link.frame_started());
  switch (step.outcome) {
    case net::ReceiveOutcome::Pending:
    case net::ReceiveOutcome::KeepAlive:
      return;  // the frame continues with the next notification; a keep-alive says only that
    case net::ReceiveOutcome::Closed:
      close_by_client(session);
      return;
    case net::ReceiveOutcome::Failed:
      receive_failed(session, step.result, step.error);
      return;
    case net::ReceiveOutcome::Message:
      break;
  }

  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("Data received. Working");
  const net::LinkMessage header = session.link.message();
  if (session.awaiting_introduction && header.service == net::KWD_KOMM &&
      (header.type == net::KWK_KINIT || header.type == net::KWK_KRECONNECT)) {
    end_awaiting_introduction(session);
  }
  // The payload stays in the link's reader until the frame is done: a send while the command
  // runs uses the link's own work buffer, and closing the link leaves the reader alone.
  dt_command(session, header, session.link.payload());
  session.link.frame_done();
}

void frame_timed_out(ProgramSession& session) {
  if (!session.link.is_open() || !session.link.frame_started()) return;
  foundation::log_printf("dt_receive: Rahmen nach %d ms unvollständig", session.link.net_timeout());
  receive_failed(session, net::kScTimeout, net::kErrorWaitTimeout);
}

std::chrono::milliseconds introduction_timeout() {
  return std::chrono::milliseconds(g_introduction_ms.load());
}

bool admit_awaiting_link(const std::string& peer) {
  const int cap = g_cap.load();
  int waiting = g_awaiting.load();
  do {
    if (waiting >= cap) {
      foundation::log_printf(
          "Programm-Verbindung %s abgewiesen: %d Verbindungen warten auf ihre Anmeldung",
          peer.c_str(), waiting);
      return false;
    }
  } while (!g_awaiting.compare_exchange_weak(waiting, waiting + 1));
  return true;
}

void end_awaiting_introduction(ProgramSession& session) {
  if (!session.awaiting_introduction) return;
  session.awaiting_introduction = false;
  withdraw_awaiting_link();
}

void withdraw_awaiting_link() {
  --g_awaiting;
}

void introduction_timed_out(ProgramSession& session) {
  if (!session.awaiting_introduction) return;
  foundation::log_printf(
      "%s: keine Anmeldung (KINIT/KRECONNECT) in %lld ms, Verbindung geschlossen",
      session.title.c_str(), static_cast<long long>(introduction_timeout().count()));
  end_awaiting_introduction(session);
  if (session.super != nullptr) session.super->close_link();
  end_program(session);
}

int links_awaiting_introduction() {
  return g_awaiting.load();
}

namespace testing {
void set_introduction_limits(std::chrono::milliseconds timeout, int cap) {
  g_introduction_ms = timeout.count() > 0 ? timeout.count() : kIntroductionTimeout.count();
  g_cap = cap > 0 ? cap : kMaxLinksAwaitingIntroduction;
}
}  // namespace testing

std::vector<std::uint8_t> build_kinfo(int host_pid, std::int64_t start_time,
                                      std::span<const std::uint8_t> title_host_text) {
  std::vector<std::uint8_t> out;
  net::put_int_field(out, host_pid, 4);
  net::put_int_field(out, start_time, 8);
  std::vector<std::uint8_t> title(title_host_text.begin(), title_host_text.end());
  title.push_back(0);
  net::put_bytes_field(out, title.data(), title.size());
  return out;
}

std::vector<std::uint8_t> build_kend(int host_pid) {
  std::vector<std::uint8_t> out;
  net::put_int_field(out, host_pid, 4);
  net::put_int_field(out, 0, 2);
  return out;
}

void send_kinfo(const ProgramSession& session) {
  if (!session.host_hooks || !session.host_hooks->send_to_server) return;
  const std::string title =
      foundation::wide_to_host(QString::fromStdString(session.title).toStdU16String());
  const auto payload =
      build_kinfo(session.host_pid, session.start_time,
                  std::span(reinterpret_cast<const std::uint8_t*>(title.data()), title.size()));
  session.host_hooks->send_to_server(net::KWK_KINFO, payload);
}

void send_kend(const ProgramSession& session) {
  if (!session.host_hooks || !session.host_hooks->send_to_server) return;
  session.host_hooks->send_to_server(net::KWK_KEND, build_kend(session.host_pid));
}

}  // namespace kovw::session
