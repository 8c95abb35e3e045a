#include "session/program/program_link.h"

#include <QString>
#include <new>

#include "foundation/error_text.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "net/fields.h"
#include "net/frame_reader.h"
#include "net/last_socket_error.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"

namespace kovw::session {

namespace {

constexpr int kErrorNotEnoughMemory = 8;  // the system error of a failed allocation

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

void close_by_client(ProgramSession& session) {
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("Close call by client");
  if (session.super != nullptr) session.super->close_link();
  end_program(session);
}

}  // namespace

int dt_send(ProgramSession& session, int service, int type, const void* payload, int length,
            const char* file, int line) {
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("Send Data %d/%d Len %d (%s:%d)", service, type, length, file, line);
  if (session.socket < 0 || length < 0) return -1;
  net::LinkMessage message;
  message.service = static_cast<std::uint8_t>(service);
  message.type = static_cast<std::uint8_t>(type);
  message.length = length;
  for (;;) {
    const int result = net::link_send(session.socket, message, payload);
    session.activity = true;
    if (result >= 0) return result;
    const int error = net::last_socket_error();
    if (link_is_dead(error)) {
      lose_link(session, 10038, result, error);
      return -1;
    }
    const int answer = foundation::show_message_number(nullptr, foundation::kMsgRetryCancel, 0,
                                                       session.caption.c_str(), 10038,
                                                       server_host(session), -result, error);
    if (answer != foundation::kAnswerRetry || session.socket < 0) return -1;
  }
}

void dt_receive(ProgramSession& session) {
  if (session.socket < 0) return;
  if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("Data from client");
  const int timeout = session.link_timeout_ms;
  int result = net::frame_receive_step(session.reader, timeout);
  session.activity = true;
  if (result == 0) {
    close_by_client(session);
    return;
  }
  if (result == 2) result = net::frame_finish(session.reader);
  if (result < 0) {
    // A failed receive or a frame that cannot be decoded leaves no way to find the next frame:
    // the link is reported once and the program ends, instead of a box per notification.
    const int error = net::last_socket_error();
    foundation::log_printf("dt_receive: Fehler %d/%d", result, error);
    lose_link(session, 10037, result, error);
    return;
  }
  if (result == 1) return;  // the frame continues with the next notification

  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("Data received. Working");
  net::LinkMessage header;
  net::link_take_message(session.reader, header);
  const auto payload = session.reader.payload_view();
  const bool keep_alive = header.service == net::kKeepAliveService &&
                          header.type == net::kKeepAliveType && payload.empty();
  if (!keep_alive) {
    const std::size_t needed = std::max(kMinReceiveBuffer, payload.size());
    bool have_buffer = true;
    if (session.receive_buffer.size() < needed) {
      try {
        session.receive_buffer.resize(needed);
      } catch (const std::bad_alloc&) {
        have_buffer = false;
        foundation::log_printf("Kein Speicher für %zu Bytes.", needed);
        foundation::show_message(nullptr, 0, kErrorNotEnoughMemory, "KOVW",
                                 "Kein Speicher für %d Bytes.", static_cast<int>(needed));
      }
    }
    if (have_buffer) {
      std::copy(payload.begin(), payload.end(), session.receive_buffer.begin());
      dt_command(session, header,
                 std::span<const std::uint8_t>(session.receive_buffer.data(), payload.size()));
    }
  }
  if (session.socket >= 0) net::frame_reset(session.reader, session.socket);
}

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
