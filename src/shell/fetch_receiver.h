#pragma once
// One fetch from the daemon, as its answer frames arrive: the size or information that comes
// first (by who asked and the daemon's version), the data frames into the target (a local
// file written under a temporary name, a buffer cut at its size, a directory listing that
// grows with every frame), text-mode line ends, and the end. Plain C++ over frames: the server
// connection feeds it on the GUI thread, tests feed it directly.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "foundation/atomic_file.h"
#include "protocol/file_transfer.h"

namespace kovw::shell {

// The most a memory target takes (buffers without a given size, listings, named texts).
inline constexpr std::size_t kFetchMemoryMax = 64u << 20;

struct FetchJob {
  protocol::FetchRequest request;
  std::string local_path;    // mode 1: the local file (already expanded)
  std::string display_name;  // shown in the progress window (the host name when empty)
};

struct FetchOutcome {
  int result = -2;  // 0 success, -2 failure (a cancel is a failure)
  bool cancelled = false;
  int message = 0;             // the message number of the failure (10037, 10061, 10064, ...)
  std::string error;           // the failure's text
  std::uint64_t received = 0;  // data bytes taken (before any cut)
  std::optional<std::uint64_t> announced;  // the size the daemon gave
  std::optional<std::int64_t> file_time;   // the file time the daemon gave
  std::vector<std::uint8_t> data;          // memory targets and listings
  std::chrono::milliseconds elapsed{0};
};

class FetchReceiver {
 public:
  FetchReceiver(FetchJob job, protocol::FetchAnswer answer);

  // Opens the target. False (the outcome says why) when it cannot be opened.
  bool begin();
  // Takes one answer frame. True when the fetch has ended (outcome() is then final).
  bool take(int type, std::span<const std::uint8_t> payload);
  // Ends the fetch as cancelled by the user, or as failed by the link; the partial file goes.
  void cancel();
  void fail(int message, std::string error);

  bool ended() const { return ended_; }
  const FetchOutcome& outcome() const { return outcome_; }
  FetchOutcome take_outcome() { return std::move(outcome_); }
  const FetchJob& job() const { return job_; }

 private:
  bool data(std::span<const std::uint8_t> bytes);
  bool finish_success();
  bool finish_failure(int message, std::string error);
  std::size_t memory_limit() const;

  FetchJob job_;
  protocol::FetchAnswer answer_;
  bool size_seen_ = false;  // KSIZE or the info header has come
  bool ended_ = false;
  foundation::AtomicFile file_;
  protocol::LineEndExpander expander_;
  std::vector<std::uint8_t> converted_;
  std::chrono::steady_clock::time_point started_;
  FetchOutcome outcome_;
};

}  // namespace kovw::shell
