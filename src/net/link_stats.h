#pragma once
// The transfer statistics of all links: seven process-wide 64-bit counters. Several threads add
// to them without a lock (relaxed atomics); they are statistics only.

#include <atomic>
#include <cstdint>

namespace kovw::net {

struct LinkStatistics {
  std::atomic<std::uint64_t> bytes_sent{0};           // whole frames, after a successful send
  std::atomic<std::uint64_t> bytes_received{0};       // every chunk received, headers included
  std::atomic<std::uint64_t> payload_bytes{0};        // both directions, compressed, unencrypted
  std::atomic<std::uint64_t> gross_bytes{0};          // the same plus 24 per frame
  std::atomic<std::uint64_t> compressed_bytes{0};     // compressed frames: payload incl. prefix
  std::atomic<std::uint64_t> uncompressed_bytes{0};   // compressed frames: uncompressed length
  std::atomic<std::uint64_t> session_gross_bytes{0};  // gross again, reset by program sessions
};

LinkStatistics& link_stats();

inline void link_stats_add(std::atomic<std::uint64_t>& counter, std::uint64_t value) {
  counter.fetch_add(value, std::memory_order_relaxed);
}

// Adds one frame's payload (after compression, before encryption) to the payload and both gross
// counters.
void link_stats_count_payload(std::uint64_t payload_length);

// Resets the first six counters (the info dialog's reset button).
void link_stats_reset();

// Uncompressed bytes times 100 divided by compressed bytes; 0 when nothing was compressed.
std::uint64_t link_stats_compression_rate();

}  // namespace kovw::net
