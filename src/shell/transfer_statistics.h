#pragma once
// The process's transfer statistics: bytes and milliseconds of all downloads (fetches
// included) and of all uploads so far. They decide whether a progress window is worth
// showing: only when the expected duration at the measured rate is a second or more, or when
// nothing has been measured yet.

#include <atomic>
#include <cstdint>
#include <memory>

namespace kovw::shell {

struct TransferTotals {
  std::uint64_t bytes = 0;
  std::uint64_t milliseconds = 0;
  // Bytes per second, 0 while nothing was measured.
  double rate() const {
    return milliseconds == 0 ? 0.0 : static_cast<double>(bytes) * 1000.0 / milliseconds;
  }
};

// Set by the user's Cancel; the transfer looks at it before each block.
using CancelFlag = std::shared_ptr<std::atomic<bool>>;

enum class TransferDirection { Download, Upload };

void add_transfer(TransferDirection direction, std::uint64_t bytes, std::uint64_t milliseconds);
TransferTotals transfer_totals(TransferDirection direction);
// True when a transfer of `expected_bytes` is expected to take a second or more.
bool progress_worth_showing(TransferDirection direction, std::uint64_t expected_bytes);

}  // namespace kovw::shell
