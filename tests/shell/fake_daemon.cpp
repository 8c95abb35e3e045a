#include "fake_daemon.h"

#include <poll.h>

#include <cstring>

#include "net/fields.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "protocol/server_messages.h"

namespace kovw::test {

void put_int(std::vector<std::uint8_t>& out, std::int64_t value, int width) {
  net::put_int_field(out, value, width);
}

void put_text(std::vector<std::uint8_t>& out, const std::string& text) {
  net::put_bytes_field(out, text.c_str(), text.size() + 1);
}

FakeDaemon::FakeDaemon(DaemonConfig config) : config_(std::move(config)) {
  int found = 0;
  // An ephemeral port; the next one up stays free for the workstation's own choice.
  listen_socket_ = net::sc_listen(0, nullptr);
  char address[32] = {};
  net::sc_addr(listen_socket_, 1, address, &found);
  port_ = found;
  thread_ = std::thread([this] { run(); });
}

FakeDaemon::~FakeDaemon() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  if (thread_.joinable()) thread_.join();
  if (listen_socket_ >= 0) net::sc_close(listen_socket_);
}

void FakeDaemon::run() {
  while (true) {
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
    }
    pollfd fd{listen_socket_, POLLIN, 0};
    if (::poll(&fd, 1, 50) <= 0) continue;
    const int socket = net::sc_accept(listen_socket_);
    if (socket < 0) continue;
    serve(socket);
  }
}

void FakeDaemon::serve(int socket) {
  net::link_set_session_key(nullptr, nullptr);
  net::link_set_options(0, false, false);
  net::link_state().net_timeout_ms = 2000;
  net::FrameReader reader;
  bool open = true;
  bool connected = false;
  while (open) {
    {
      std::unique_lock lock(mutex_);
      if (stop_) break;
      while (!outgoing_.empty() && open) {
        auto action = std::move(outgoing_.front());
        outgoing_.pop_front();
        lock.unlock();
        open = action(socket);
        lock.lock();
      }
      if (!open) break;
    }
    pollfd fd{socket, POLLIN, 0};
    if (::poll(&fd, 1, 20) <= 0) continue;
    net::LinkMessage message;
    const int result = net::link_receive(socket, message, reader, net::kSkipKeepAlive);
    if (result <= 0) break;
    ReceivedMessage copy;
    copy.service = message.service;
    copy.type = message.type;
    copy.payload.assign(reader.payload_view().begin(), reader.payload_view().end());
    {
      std::lock_guard lock(mutex_);
      received_.push_back(copy);
    }
    changed_.notify_all();
    if (copy.service != 0) continue;
    if (copy.type == net::KWK_KSDATEI && connected) {
      // A file fetch after the connection: recorded; the test answers it.
    } else if (copy.type == net::KWK_KSDATEI) {
      connected = true;
      if (config_.close_after_connect_request) break;
      if (!config_.answer_connect) {
        net::LinkMessage other;
        other.type = 10;  // any other type: a daemon without options
        net::link_send(socket, other, nullptr);
        continue;
      }
      const auto request = protocol::parse_connect_request(copy.payload);
      protocol::ConnectReply reply;
      reply.host_name = "testhost";
      reply.daemon_version = config_.daemon_version;
      for (int i = 0; i < 16; ++i) reply.server_value[i] = static_cast<std::uint8_t>(0x40 + i * 7);
      reply.options = config_.options;
      protocol::send_message(socket, protocol::build_connect_reply(reply));
      if (request)
        net::link_set_session_key(request->client_value.data(), reply.server_value.data());
      net::link_set_options(config_.options, true, true);
    } else if (copy.type == net::KWK_KLOGIN) {
      open = handle_login(socket, copy);
    } else if (copy.type == net::KWK_KPING) {
      // the workstation's ping: recorded only
    } else if (copy.type == net::KWK_KPASS) {
      if (config_.refuse_password_text.empty()) {
        net::LinkMessage ok;
        ok.type = net::KWK_KOMOK;
        net::link_send(socket, ok, nullptr);
      } else {
        protocol::send_message(socket,
                               protocol::build_password_refusal({7, config_.refuse_password_text}));
      }
    }
  }
  net::sc_close(socket);
  {
    std::lock_guard lock(mutex_);
    link_closed_ = true;
  }
  changed_.notify_all();
}

bool FakeDaemon::handle_login(int socket, const ReceivedMessage& message) {
  LoginSeen seen;
  const auto request = protocol::parse_login_request(message.payload);
  if (request) {
    seen.user = request->user;
    seen.password_field_size = static_cast<int>(request->password_field.size());
    const auto& field = request->password_field;
    seen.encrypted_form = (field.size() == 17 || field.size() == 33) && field.back() == 'T';
    net::LinkState& state = net::link_state();
    net::link_prepare_keys(state);
    if (const auto password =
            protocol::decode_password_field(request->password_field, state.cipher.get());
        password && request->kind != protocol::LoginKind::forgotten_password) {
      seen.password = *password;
    }
    seen.listen_port = request->listen_port;
    seen.domain = request->domain;
    seen.client_flags = request->client_flags;
    seen.kind = static_cast<int>(request->kind);
    seen.platform = request->platform;
  }
  {
    std::lock_guard lock(mutex_);
    login_ = seen;
  }

  int reason = config_.refuse_reason;
  if (reason == 0 && (seen.user != config_.user || seen.password != config_.password)) {
    reason = seen.user != config_.user ? 2 : 1;
  }
  if (reason != 0) {
    protocol::LoginRefusal refusal;
    if (!config_.refuse_without_payload) {
      refusal.reason = reason;
      if (!config_.refuse_text.empty()) refusal.text = config_.refuse_text;
    }
    protocol::send_message(socket, protocol::build_login_refusal(refusal));
  } else {
    protocol::LoginReply reply;
    reply.flags = protocol::kReplyPasswordChange | config_.extra_reply_flags;
    reply.listen_port = config_.listen_port_request;
    reply.update_version = 0;
    reply.update_size = 0;
    reply.daemon_version = config_.daemon_version;
    reply.session_timeout_min = config_.session_timeout_minutes;
    reply.session_text = "session";
    reply.name_text = "name";
    protocol::send_message(socket, protocol::build_login_reply(reply));
  }
  changed_.notify_all();
  return true;
}

void FakeDaemon::send_event(int type, std::vector<std::uint8_t> payload) {
  std::lock_guard lock(mutex_);
  outgoing_.push_back([type, payload = std::move(payload)](int socket) {
    net::LinkMessage message;
    message.type = static_cast<std::uint8_t>(type);
    message.length = static_cast<std::int32_t>(payload.size());
    net::link_send(socket, message, payload.empty() ? nullptr : payload.data());
    return true;
  });
}

void FakeDaemon::send_raw(std::vector<std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  outgoing_.push_back([bytes = std::move(bytes)](int socket) {
    net::sc_send(socket, static_cast<int>(bytes.size()), bytes.data(), 2000);
    return true;
  });
}

void FakeDaemon::close_link() {
  std::lock_guard lock(mutex_);
  outgoing_.push_back([](int) { return false; });
}

bool FakeDaemon::wait_for(int type, ReceivedMessage* out, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] {
    for (const ReceivedMessage& message : received_) {
      if (message.service == 0 && message.type == type) {
        if (out) *out = message;
        return true;
      }
    }
    return false;
  });
}

bool FakeDaemon::received(int type) {
  std::lock_guard lock(mutex_);
  for (const ReceivedMessage& message : received_) {
    if (message.service == 0 && message.type == type) return true;
  }
  return false;
}

std::vector<ReceivedMessage> FakeDaemon::all_of(int type) {
  std::lock_guard lock(mutex_);
  std::vector<ReceivedMessage> out;
  for (const ReceivedMessage& message : received_) {
    if (message.service == 0 && message.type == type) out.push_back(message);
  }
  return out;
}

LoginSeen FakeDaemon::login_seen() {
  std::lock_guard lock(mutex_);
  return login_;
}

bool FakeDaemon::wait_link_closed(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return link_closed_; });
}

}  // namespace kovw::test
