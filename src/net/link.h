#pragma once
// One connection: its socket, frame reader, options and cipher schedules (LinkState) and the
// work buffer that builds its frames. Sends and receives return their error with their result;
// nothing about a link lives in thread-local storage. Sends are serialised by the link's lock,
// so any thread may send; receiving is the business of one thread, the one that owns the link.

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "net/frame_memory.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_message.h"
#include "net/link_state.h"
#include "net/trace_file.h"

namespace kovw::net {

// A result as the link functions give it (bytes sent, 1 for a message, 0 closed, negative
// layer code) and the system error of a failure (Winsock numbering, 0 without one).
struct LinkResult {
  int value = 0;
  int error = 0;
};

// What one receive step brought.
enum class ReceiveOutcome {
  Pending,    // part of a frame arrived; the rest follows
  Message,    // a whole frame, decoded: message() and payload()
  KeepAlive,  // a keep-alive arrived and was dropped before any decoding
  Closed,     // the peer closed the link
  Failed,     // receiving failed or the frame was malformed: `result` and `error` say why
};

// The traffic of one link (the process-wide totals are in link_stats.h).
struct LinkTraffic {
  std::uint64_t frames_sent = 0;
  std::uint64_t bytes_sent = 0;  // whole frames, after a successful send
  std::uint64_t frames_received = 0;
  std::uint64_t bytes_received = 0;  // every chunk received, headers included
};

struct ReceiveStep {
  ReceiveOutcome outcome = ReceiveOutcome::Pending;
  int result = 0;  // the layer's result of a failure (-1, -41, -99, kLinkMalformed)
  int error = 0;
};

class Link {
 public:
  Link();
  explicit Link(int socket);
  ~Link();  // closes the socket
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  int socket() const;
  bool is_open() const { return socket() >= 0; }
  // Takes `socket` (the old one is closed) and starts with a new frame; the options stay.
  void attach(int socket);
  // Gives the socket up without closing it; returns it (-1 when there was none).
  int release();
  void close();

  // Options. The link's own copy: set at login or by the host program's introduction.
  int set_options(unsigned flags_word, bool level_tracking, bool encryption_allowed);
  // Replaces all options (a new connection starts plain).
  void reset_options();
  LinkState options() const;
  bool encryption_on() const;
  // The net time-out of sends and of the rest of a started frame.
  void set_net_timeout(int milliseconds);
  int net_timeout() const;
  // The longest wait of a receive step for bytes that were announced as readable (without one:
  // the net time-out).
  void set_receive_timeout(int milliseconds);
  // Runs `use` with the link's state under its lock (to prepare keys for a login, ...).
  template <typename F>
  auto with_state(F&& use) {
    std::lock_guard lock(mutex_);
    return use(state_);
  }

  // Sends one frame with the link's options, from any thread. value: the bytes sent or the
  // negative result of link_send; error: the system error of a failure.
  LinkResult send(const LinkMessage& message, const void* payload);
  // The same without encryption, whatever the options say (a link's opening message).
  LinkResult send_plain(const LinkMessage& message, const void* payload);

  // One receive on the owning thread: a frame left complete by the last step is done first.
  // A keep-alive is recognised from its header and dropped before decoding, whatever its flag
  // bits, so it neither breaks the link nor switches the sending encryption.
  ReceiveStep receive_step();
  // Blocking receive of a whole message with the net time-out; keep-alives by `flags`
  // (kSkipKeepAlive, kReturnKeepAlive as link_receive). value: 1 message, 2 keep-alive,
  // 0 closed, negative failure. For links that one thread alone uses (it does not count the
  // link's traffic).
  LinkResult receive(int flags);
  // Ends the current frame: gives large buffers back (the message's payload becomes invalid).
  void frame_done();
  // A frame has begun and is not complete.
  bool frame_started() const;

  LinkTraffic traffic() const;

  // Records every frame sent and received from now on, and every change of the options, in
  // `recorder` (null: no recording). Closing the link ends its recording.
  void set_recorder(std::shared_ptr<TraceWriter> recorder);

  // The last message received and its payload; valid until the next receive or frame_done.
  const LinkMessage& message() const { return message_; }
  std::span<const std::uint8_t> payload() const { return reader_.payload_view(); }

 private:
  mutable std::mutex mutex_;  // the state, the work buffer and the socket
  int socket_ = -1;
  LinkState state_;
  FrameBlock work_buffer_;
  FrameReader reader_;  // the owning thread alone
  LinkMessage message_;
  LinkTraffic traffic_;
  int receive_timeout_ms_ = -1;  // -1: the net time-out
  std::shared_ptr<TraceWriter> recorder_;

  void record_sent(const LinkMessage& message, const void* payload);
  void record_received();
  void record_options();
};

}  // namespace kovw::net
