#include "fake_daemon.h"

#include <poll.h>

#include <cstring>

#include "net/fields.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/password_scramble.h"
#include "net/session_key.h"
#include "net/tcp_socket.h"
#include "net/twofish_cipher.h"

namespace kovw::test {
namespace {

std::string read_text(net::FieldCursor& at) {
  auto view = net::get_bytes_view(at);
  const auto* begin = reinterpret_cast<const char*>(view.data());
  return std::string(begin, ::strnlen(begin, view.size()));
}

}  // namespace

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
    if (copy.type == 22) {
      if (config_.close_after_connect_request) break;
      std::vector<std::uint8_t> reply;
      if (!config_.answer_connect) {
        net::LinkMessage other;
        other.type = 10;  // any other type: a daemon without options
        net::link_send(socket, other, nullptr);
        continue;
      }
      net::FieldCursor at(copy.payload);
      net::get_bytes_view(at);  // "KCONNECT"
      read_text(at);
      net::get_int_field(at);
      auto client = net::get_bytes_view(at);
      std::uint8_t server_value[16];
      for (int i = 0; i < 16; ++i) server_value[i] = static_cast<std::uint8_t>(0x40 + i * 7);
      put_text(reply, "testhost");
      put_int(reply, config_.daemon_version);
      net::put_bytes_field(reply, server_value, 16);
      put_int(reply, config_.options);
      if (config_.daemon_version >= 0x30008) {
        for (int i = 0; i < 4; ++i) put_int(reply, 0);
      }
      net::LinkMessage answer;
      answer.type = 98;
      answer.length = static_cast<std::int32_t>(reply.size());
      net::link_send(socket, answer, reply.data());
      if (client.size() == 16) net::link_set_session_key(client.data(), server_value);
      net::link_set_options(config_.options, true, true);
    } else if (copy.type == 1) {
      open = handle_login(socket, copy);
    } else if (copy.type == 99) {
      // the workstation's ping: recorded only
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
  net::FieldCursor at(message.payload);
  net::get_int_field(at);
  seen.user = read_text(at);
  auto field = net::get_bytes_view(at);
  seen.password_field_size = static_cast<int>(field.size());
  if ((field.size() == 17 || field.size() == 33) && field.back() == 'T') {
    seen.encrypted_form = true;
    net::LinkState& state = net::link_state();
    net::link_prepare_keys(state);
    std::vector<std::uint8_t> clear(field.begin(), field.end() - 1);
    for (std::size_t block = 0; block < clear.size(); block += 16) {
      std::uint8_t out[16];
      state.decryption.decrypt_block(clear.data() + block, out);
      std::memcpy(clear.data() + block, out, 16);
    }
    seen.password.assign(reinterpret_cast<const char*>(clear.data()),
                         ::strnlen(reinterpret_cast<const char*>(clear.data()), clear.size()));
  } else if (field.size() == 32) {
    std::vector<std::uint8_t> clear(field.begin(), field.end());
    net::unscramble_password(clear.data(), 31);
    seen.password.assign(reinterpret_cast<const char*>(clear.data()),
                         ::strnlen(reinterpret_cast<const char*>(clear.data()), 31));
  }
  seen.listen_port = net::get_int_field(at);
  seen.domain = read_text(at);
  net::get_int_field(at);  // version
  read_text(at);           // computer name
  seen.client_flags = static_cast<std::uint32_t>(net::get_int_field(at));
  read_text(at);           // installation id
  net::get_int_field(at);  // print port
  read_text(at);           // data directory
  read_text(at);           // install directory
  net::get_int_field(at);  // browser number
  seen.kind = net::get_int_field(at);
  seen.platform = read_text(at);
  {
    std::lock_guard lock(mutex_);
    login_ = seen;
  }

  std::vector<std::uint8_t> reply;
  net::LinkMessage answer;
  int reason = config_.refuse_reason;
  if (reason == 0 && (seen.user != config_.user || seen.password != config_.password)) {
    reason = seen.user != config_.user ? 2 : 1;
  }
  if (reason != 0) {
    answer.type = 4;
    if (!config_.refuse_without_payload) {
      put_int(reply, reason);
      if (!config_.refuse_text.empty()) put_text(reply, config_.refuse_text);
    }
  } else {
    answer.type = 3;
    put_int(reply, 0x10);
    put_int(reply, config_.listen_port_request);
    put_int(reply, 221);
    put_int(reply, 0);
    put_int(reply, 0);
    put_int(reply, config_.daemon_version);
    put_int(reply, config_.session_timeout_minutes);
    for (int i = 0; i < 4; ++i) put_int(reply, 0);
    put_text(reply, "session");
    put_text(reply, "name");
  }
  answer.length = static_cast<std::int32_t>(reply.size());
  net::link_send(socket, answer, reply.empty() ? nullptr : reply.data());
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
