#pragma once
// Writes a stream of blocks to an AtomicFile on a thread of its own, so that the disk works
// while the next blocks arrive and are decoded. The blocks are gathered into buffers of a
// fixed size, and at most a few buffers wait for the writer: memory stays the same however
// large the file. A small file that never fills a buffer is written without a thread.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "foundation/atomic_file.h"

namespace kovw::foundation {

class StreamWriter {
 public:
  explicit StreamWriter(AtomicFile& file, std::size_t buffer_bytes = 1u << 20,
                        std::size_t most_waiting = 3);
  ~StreamWriter();
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;

  // Takes `bytes`; returns 0 or the first write error seen so far (later blocks are dropped).
  int write(std::span<const std::uint8_t> bytes);
  // Writes what is left and waits for the writer; returns 0 or the first write error.
  int finish();
  // Ends the writer without writing what waits (the file is being abandoned).
  void stop();

 private:
  void hand_off();
  void run();

  AtomicFile& file_;
  std::size_t buffer_bytes_;
  std::size_t most_waiting_;
  std::vector<std::uint8_t> current_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<std::uint8_t>> waiting_;
  std::vector<std::vector<std::uint8_t>> spare_;
  bool closing_ = false;
  bool busy_ = false;  // the writer holds a buffer
  int error_ = 0;
  std::thread thread_;
};

}  // namespace kovw::foundation
