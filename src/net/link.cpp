#include "net/link.h"

#include <utility>

#include "foundation/error_text.h"
#include "net/last_socket_error.h"
#include "net/link_io.h"
#include "net/link_recording.h"
#include "net/tcp_socket.h"

namespace kovw::net {

Link::Link() : Link(-1) {}

Link::Link(int socket) : socket_(socket) {
  state_.net_timeout_ms = default_net_timeout();
  frame_reset(reader_, socket);
}

Link::~Link() {
  close();
}

int Link::socket() const {
  std::lock_guard lock(mutex_);
  return socket_;
}

void Link::attach(int socket) {
  close();
  std::lock_guard lock(mutex_);
  socket_ = socket;
  frame_reset(reader_, socket);
}

int Link::release() {
  std::lock_guard lock(mutex_);
  // The reader's buffers stay: a command may still be reading the payload of its message.
  reader_.socket = -1;
  return std::exchange(socket_, -1);
}

void Link::close() {
  const int socket = release();
  if (socket >= 0) sc_close(socket);
  std::lock_guard lock(mutex_);
  recorder_.reset();
}

void Link::set_recorder(std::shared_ptr<TraceWriter> recorder) {
  std::lock_guard lock(mutex_);
  recorder_ = std::move(recorder);
}

// The recording helpers run under the link's lock.
void Link::record_sent(const LinkMessage& message, const void* payload) {
  if (!recorder_) return;
  const auto* bytes = static_cast<const std::uint8_t*>(payload);
  recorder_->frame(TraceRecordKind::Sent, message.service & kKindServiceMask, message.type,
                   {bytes, bytes ? static_cast<std::size_t>(message.length) : 0});
}

void Link::record_received() {
  if (!recorder_) return;
  recorder_->frame(TraceRecordKind::Received, message_.service, message_.type,
                   reader_.payload_view());
}

void Link::record_options() {
  if (recorder_) recorder_->options(trace_options(state_));
}

int Link::set_options(unsigned flags_word, bool level_tracking, bool encryption_allowed) {
  std::lock_guard lock(mutex_);
  const int result = link_set_options(state_, flags_word, level_tracking, encryption_allowed);
  record_options();
  return result;
}

void Link::reset_options() {
  std::lock_guard lock(mutex_);
  const int timeout = state_.net_timeout_ms;
  state_ = LinkState{};
  state_.net_timeout_ms = timeout;
  record_options();
}

LinkState Link::options() const {
  std::lock_guard lock(mutex_);
  return state_;
}

bool Link::encryption_on() const {
  std::lock_guard lock(mutex_);
  return state_.encryption_on;
}

void Link::set_net_timeout(int milliseconds) {
  std::lock_guard lock(mutex_);
  state_.net_timeout_ms = milliseconds;
}

int Link::net_timeout() const {
  std::lock_guard lock(mutex_);
  return state_.net_timeout_ms;
}

void Link::set_receive_timeout(int milliseconds) {
  std::lock_guard lock(mutex_);
  receive_timeout_ms_ = milliseconds;
}

LinkResult Link::send(const LinkMessage& message, const void* payload) {
  std::lock_guard lock(mutex_);
  if (socket_ < 0) return {-1, foundation::kWSAENOTSOCK};
  const int value = link_send(socket_, state_, work_buffer_, message, payload);
  if (value < 0) return {value, last_socket_error()};
  record_sent(message, payload);
  ++traffic_.frames_sent;
  traffic_.bytes_sent += static_cast<std::uint64_t>(value);
  return {value, 0};
}

LinkResult Link::send_plain(const LinkMessage& message, const void* payload) {
  std::lock_guard lock(mutex_);
  if (socket_ < 0) return {-1, foundation::kWSAENOTSOCK};
  const bool encryption = std::exchange(state_.encryption_on, false);
  const int value = link_send(socket_, state_, work_buffer_, message, payload);
  const int error = value < 0 ? last_socket_error() : 0;
  state_.encryption_on = encryption;
  if (value >= 0) {
    record_sent(message, payload);
    ++traffic_.frames_sent;
    traffic_.bytes_sent += static_cast<std::uint64_t>(value);
  }
  return {value, error};
}

ReceiveStep Link::receive_step() {
  int wait_ms;
  {
    std::lock_guard lock(mutex_);
    if (reader_.state == kFrameComplete) frame_reset(reader_, socket_);
    if (socket_ < 0) return {ReceiveOutcome::Failed, -1, foundation::kWSAENOTSOCK};
    wait_ms = receive_timeout_ms_ >= 0 ? receive_timeout_ms_ : state_.net_timeout_ms;
  }
  // The wait for the bytes runs without the lock, so that sends go on meanwhile; the reader
  // belongs to this thread alone.
  const std::span<std::uint8_t> space = frame_receive_space(reader_);
  if (space.empty()) return {ReceiveOutcome::Failed, -1, kErrorNotEnoughMemory};
  const int received =
      sc_recv(reader_.socket, static_cast<int>(space.size()), space.data(), kRecvAny, wait_ms);
  if (received == 0) return {ReceiveOutcome::Closed, 0, 0};
  if (received < 0) return {ReceiveOutcome::Failed, received, last_socket_error()};
  std::lock_guard lock(mutex_);
  traffic_.bytes_received += static_cast<std::uint64_t>(received);
  const int step = frame_accept(reader_, static_cast<std::size_t>(received), state_);
  if (step == 1) return {ReceiveOutcome::Pending, 1, 0};
  if (step == 2) ++traffic_.frames_received;
  if (step < 0) {
    return {ReceiveOutcome::Failed, step,
            step == kLinkMalformed ? kErrorInvalidData : kErrorNotEnoughMemory};
  }
  if (frame_is_keep_alive(reader_)) {
    frame_reset(reader_, socket_);
    return {ReceiveOutcome::KeepAlive, 2, 0};
  }
  if (const int finished = frame_finish(reader_, state_); finished != 0) {
    return {ReceiveOutcome::Failed, finished,
            finished == kLinkMalformed ? kErrorInvalidData : kErrorNotEnoughMemory};
  }
  link_take_message(reader_, message_);
  record_received();
  // A received frame may switch the sending encryption on.
  record_options();
  return {ReceiveOutcome::Message, 1, 0};
}

LinkResult Link::receive(int flags) {
  {
    std::lock_guard lock(mutex_);
    if (socket_ < 0) return {-1, foundation::kWSAENOTSOCK};
    reader_.socket = socket_;
  }
  // Blocking receives are for links that one thread alone uses: the state is not shared.
  const int value = link_receive(state_, message_, reader_, flags);
  if (value == 1) {
    std::lock_guard lock(mutex_);
    record_received();
    record_options();
  }
  return {value, value < 0 ? last_socket_error() : 0};
}

LinkTraffic Link::traffic() const {
  std::lock_guard lock(mutex_);
  return traffic_;
}

void Link::frame_done() {
  frame_reset(reader_, reader_.socket);
}

bool Link::frame_started() const {
  return net::frame_started(reader_);
}

}  // namespace kovw::net
