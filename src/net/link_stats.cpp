#include "net/link_stats.h"

namespace kovw::net {

LinkStatistics& link_stats() {
  static LinkStatistics stats;
  return stats;
}

void link_stats_count_payload(std::uint64_t payload_length) {
  LinkStatistics& s = link_stats();
  link_stats_add(s.payload_bytes, payload_length);
  link_stats_add(s.gross_bytes, payload_length + 24);
  link_stats_add(s.session_gross_bytes, payload_length + 24);
}

void link_stats_reset() {
  LinkStatistics& s = link_stats();
  for (auto* counter : {&s.bytes_sent, &s.bytes_received, &s.payload_bytes, &s.gross_bytes,
                        &s.compressed_bytes, &s.uncompressed_bytes}) {
    counter->store(0, std::memory_order_relaxed);
  }
}

std::uint64_t link_stats_compression_rate() {
  const LinkStatistics& s = link_stats();
  const std::uint64_t compressed = s.compressed_bytes.load(std::memory_order_relaxed);
  if (compressed == 0) return 0;
  return s.uncompressed_bytes.load(std::memory_order_relaxed) * 100 / compressed;
}

}  // namespace kovw::net
