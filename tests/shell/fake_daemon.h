#pragma once
// A server daemon for end-to-end tests of the workstation's server link: it listens on a
// loopback port, performs the connect exchange and the login as configured, records every
// message it receives and sends events on request. One link at a time, on its own thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kovw::test {

struct DaemonConfig {
  unsigned options = 0;  // negotiated options word: header level, 0x100, 0x200
  int daemon_version = 0x072205;
  bool answer_connect = true;  // false: answer the connection request with another type
  std::string user = "anna";
  std::string password = "secret";
  int refuse_reason = 0;  // > 0: refuse every login with this reason
  std::string refuse_text;
  bool refuse_without_payload = false;
  bool close_after_connect_request = false;  // close the link instead of answering it
  int session_timeout_minutes = 0;
  int listen_port_request = 0;
  std::uint32_t extra_reply_flags = 0;  // added to the login reply's flags (0x10)
  std::string refuse_password_text;     // not empty: KWK_KPASS is refused with this text
};

struct ReceivedMessage {
  int service = 0;
  int type = 0;
  std::vector<std::uint8_t> payload;
};

// What the daemon read from the login message.
struct LoginSeen {
  std::string user;
  std::string password;  // recovered clear text
  bool encrypted_form = false;
  int password_field_size = 0;
  std::string domain;
  std::string platform;
  int kind = -1;
  int listen_port = 0;
  std::uint32_t client_flags = 0;
};

class FakeDaemon {
 public:
  explicit FakeDaemon(DaemonConfig config);
  ~FakeDaemon();

  // The link port (the workstation's "KOVD Port" is this minus 1).
  int port() const { return port_; }

  // Sends one message on the current link (from the daemon's thread).
  void send_event(int type, std::vector<std::uint8_t> payload);
  // Sends bytes as they are (a broken or half frame).
  void send_raw(std::vector<std::uint8_t> bytes);
  // Closes the current link.
  void close_link();

  // Waits until a message of `type` was received; returns it through `out`.
  bool wait_for(int type, ReceivedMessage* out = nullptr,
                std::chrono::milliseconds limit = std::chrono::seconds(15));
  bool received(int type);
  // Every received message of `type`, in order.
  std::vector<ReceivedMessage> all_of(int type);
  LoginSeen login_seen();
  bool wait_link_closed(std::chrono::milliseconds limit = std::chrono::seconds(15));

 private:
  void run();
  void serve(int socket);
  bool handle_login(int socket, const ReceivedMessage& message);

  DaemonConfig config_;
  int listen_socket_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ReceivedMessage> received_;
  std::deque<std::function<bool(int)>> outgoing_;  // run on the daemon thread; false: close
  LoginSeen login_;
  bool link_closed_ = false;
  bool stop_ = false;
};

// Payload helpers for the tests.
void put_int(std::vector<std::uint8_t>& out, std::int64_t value, int width = 4);
void put_text(std::vector<std::uint8_t>& out, const std::string& text);

}  // namespace kovw::test
