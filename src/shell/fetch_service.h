#pragma once
// Fetches from the daemon on the server link, one at a time, in the order asked. It runs on
// the GUI thread without ever waiting there: the request goes out, the server connection
// hands it every frame while a fetch runs, and the caller's completion runs when the end frame
// (or a failure, a time-out or the link's end) arrives. Program threads use fetch_and_wait,
// which waits on the calling thread only.

#include <QBasicTimer>
#include <QObject>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "shell/fetch_receiver.h"
#include "shell/transfer_progress.h"

namespace kovw::shell {

class FetchService : public QObject {
  Q_OBJECT

 public:
  using Done = std::function<void(FetchOutcome)>;
  // `send` puts a message on the server link and returns the bytes sent or a negative result;
  // `daemon_version` gives the daemon's version when a fetch starts.
  // `display` names the host in failure texts.
  FetchService(std::function<int(const protocol::Outgoing&)> send,
               std::function<int()> daemon_version, std::function<std::string()> display,
               QObject* parent = nullptr);
  ~FetchService() override;

  // Queues a fetch; `done` runs on the GUI thread with the outcome, also when the fetch is
  // refused at once (an old daemon, a file that cannot be made).
  void submit(FetchJob job, Done done);
  // True while a fetch has been sent and its end has not arrived: every server frame is then
  // the fetch's.
  bool active() const { return current_ != nullptr || draining_; }
  void take(int type, std::span<const std::uint8_t> payload);
  // Cancels the running fetch (the user's Cancel): its partial file goes, it reports failure.
  // The frames of its answer that still arrive are read and dropped.
  void cancel_current();
  // The server link is gone: every fetch fails.
  void link_lost();
  // Time without a frame after which a running fetch fails.
  void set_frame_timeout(int milliseconds) { frame_timeout_ms_ = milliseconds; }

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  struct Pending {
    FetchJob job;
    Done done;
  };
  void start_next();
  void finish();

  std::function<int(const protocol::Outgoing&)> send_;
  std::function<int()> daemon_version_;
  std::function<std::string()> display_;
  std::deque<Pending> queue_;
  std::unique_ptr<FetchReceiver> current_;
  Done current_done_;
  // The shell's own fetches show their progress once the size is known.
  std::unique_ptr<TransferProgress> progress_;
  CancelFlag cancel_;
  bool draining_ = false;  // a cancelled fetch's answer is still arriving
  QBasicTimer frame_timer_;
  int frame_timeout_ms_ = 60000;
};

// For program threads: runs `job` through the process's fetch service on the GUI thread and
// waits for its outcome on the calling thread. On the GUI thread itself it refuses (the GUI
// thread never waits). Without a server connection the outcome is a failure.
FetchOutcome fetch_and_wait(FetchJob job);

// For program threads: the local path of `host_name` in the file cache of `data_directory`,
// fetched from the daemon (and kept for the rest of the run) when the cached copy is not
// current. Empty with `error` set when the name is refused, the lock cannot be had or the
// fetch fails (a failed fetch leaves no file in the cache).
std::string fetch_cached(const std::string& data_directory, std::string_view host_name,
                         std::string_view extension, std::time_t stamp, std::string_view group,
                         std::string& error);

// For the GUI thread: the same without waiting. The cache lookup (and its lock wait) runs in
// the background, the fetch through the process's fetch service; `done` runs on the GUI thread
// with the local path, or with an empty path and the error.
void fetch_cached_async(
    std::string data_directory, std::string host_name, std::string extension, std::time_t stamp,
    std::string group, std::function<void(const std::string& path, const std::string& error)> done);

}  // namespace kovw::shell
