#include "session/program/shell_bridge.h"

#include "session/program/program_list.h"
#include "session/program/program_thread.h"
#include "session/program/session_host.h"
#include "session/program_start.h"
#include "session/window_messages.h"
#include "shell/server_connection.h"

namespace kovw::session {

namespace {

// Lives on the GUI thread as a child of the shell's receiver.
class ProgramEndReceiver : public QObject {
 public:
  ProgramEndReceiver(QObject* parent, std::function<void(int, std::uint32_t)> on_end)
      : QObject(parent), on_end_(std::move(on_end)) {
    shell_channel().bind(this);
  }
  ~ProgramEndReceiver() override { shell_channel().unbind(); }

 protected:
  void customEvent(QEvent* event) override {
    // Only ProgramEndedEvents are posted to the shell's channel.
    const auto& ended = static_cast<const ProgramEndedEvent&>(*event);
    if (on_end_) on_end_(ended.remaining, ended.exit_flags);
  }

 private:
  std::function<void(int, std::uint32_t)> on_end_;
};

}  // namespace

int open_program_link(shell::NewLink link) {
  return dt_open(link.socket, link.peer, link.host_address, link.port, link.process_id,
                 std::vector<std::uint8_t>(link.opening.begin(), link.opening.end()));
}

void connect_program_ends(QObject* receiver,
                          std::function<void(int remaining, std::uint32_t exit_flags)> on_end) {
  new ProgramEndReceiver(receiver, std::move(on_end));
}

bool program_end_ends_login(int remaining, std::uint32_t exit_flags) {
  return remaining <= 0 && program_count() == 0 && (exit_flags & 1u) == 0;
}

void send_notices_through_server_connection() {
  SessionHost host = *session_host();
  host.send_to_server = [](int type, std::span<const std::uint8_t> payload) {
    shell::ServerConnection* connection = shell::ServerConnection::instance();
    return connection != nullptr ? connection->send(type, payload) : -1;
  };
  set_session_host(std::move(host));
}

}  // namespace kovw::session
