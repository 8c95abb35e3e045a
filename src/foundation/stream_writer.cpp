#include "foundation/stream_writer.h"

#include <algorithm>

namespace kovw::foundation {

StreamWriter::StreamWriter(AtomicFile& file, std::size_t buffer_bytes, std::size_t most_waiting)
    : file_(file),
      buffer_bytes_(buffer_bytes),
      most_waiting_(std::max<std::size_t>(1, most_waiting)) {
  current_.reserve(buffer_bytes_);
}

StreamWriter::~StreamWriter() {
  stop();
}

int StreamWriter::write(std::span<const std::uint8_t> bytes) {
  {
    std::lock_guard lock(mutex_);
    if (error_ != 0) return error_;
  }
  while (!bytes.empty()) {
    const std::size_t take = std::min(bytes.size(), buffer_bytes_ - current_.size());
    current_.insert(current_.end(), bytes.begin(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (current_.size() == buffer_bytes_) hand_off();
  }
  std::lock_guard lock(mutex_);
  return error_;
}

void StreamWriter::hand_off() {
  std::unique_lock lock(mutex_);
  if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  changed_.wait(lock, [this] { return waiting_.size() < most_waiting_ || error_ != 0; });
  if (error_ != 0) {
    current_.clear();
    return;
  }
  waiting_.push_back(std::move(current_));
  if (!spare_.empty()) {
    current_ = std::move(spare_.back());
    spare_.pop_back();
  } else {
    current_ = {};
    current_.reserve(buffer_bytes_);
  }
  current_.clear();
  changed_.notify_all();
}

void StreamWriter::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !waiting_.empty() || closing_; });
    if (waiting_.empty()) return;
    std::vector<std::uint8_t> buffer = std::move(waiting_.front());
    waiting_.pop_front();
    busy_ = true;
    changed_.notify_all();
    lock.unlock();
    const int error = file_.write(buffer);
    lock.lock();
    busy_ = false;
    if (error != 0 && error_ == 0) error_ = error;
    buffer.clear();
    spare_.push_back(std::move(buffer));
    if (error_ != 0) waiting_.clear();
    changed_.notify_all();
  }
}

int StreamWriter::finish() {
  if (thread_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  std::lock_guard lock(mutex_);
  if (error_ == 0 && !current_.empty()) error_ = file_.write(current_);
  current_.clear();
  return error_;
}

void StreamWriter::stop() {
  {
    std::lock_guard lock(mutex_);
    waiting_.clear();
    closing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  current_.clear();
}

}  // namespace kovw::foundation
