#include "shell/transfer_statistics.h"

#include <mutex>

namespace kovw::shell {
namespace {

std::mutex statistics_lock;
TransferTotals totals[2];

TransferTotals& of(TransferDirection direction) {
  return totals[direction == TransferDirection::Download ? 0 : 1];
}

}  // namespace

void add_transfer(TransferDirection direction, std::uint64_t bytes, std::uint64_t milliseconds) {
  std::lock_guard guard(statistics_lock);
  of(direction).bytes += bytes;
  of(direction).milliseconds += milliseconds;
}

TransferTotals transfer_totals(TransferDirection direction) {
  std::lock_guard guard(statistics_lock);
  return of(direction);
}

bool progress_worth_showing(TransferDirection direction, std::uint64_t expected_bytes) {
  const double rate = transfer_totals(direction).rate();
  return rate <= 0.0 || static_cast<double>(expected_bytes) >= rate;
}

}  // namespace kovw::shell
