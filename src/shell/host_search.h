#pragma once
// The host search: a question broadcast to the daemons' port and the list of hosts that
// answered, with duplicate answers merged and the least-loaded host chosen for -lb.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kovw::shell {

struct HostEntry {
  std::string name;     // at most 31 characters
  std::string address;  // at most 31 characters
  std::array<std::uint8_t, 4> station{};
  int port = 0;   // 0 when not given
  int load = -1;  // -1 when not given
};

class HostList {
 public:
  // Adds one answer (zero-terminated texts: name, address, optionally port and load) from
  // `station`. An answer from a station already in the list is dropped, and so is one that
  // protocol::parse_host_answer refuses (logged). Returns true when an entry was added.
  bool add_answer(std::span<const std::uint8_t> answer, const std::array<std::uint8_t, 4>& station);
  void clear() { entries_.clear(); }
  const std::vector<HostEntry>& entries() const { return entries_; }
  // The entry named exactly `name`.
  const HostEntry* find(const std::string& name) const;
  // The entry with the smallest load in [0, 1000000) (the first on equal loads); entries
  // without a load are never chosen.
  const HostEntry* least_loaded() const;

 private:
  std::vector<HostEntry> entries_;
};

// Broadcasts the question to `target_port` from a datagram socket on `answer_port` and
// collects the answers for `seconds`, asking again after each 1.5 s without answer. Blocks
// for the whole time: call it off the GUI thread. Returns 0, or the negative result of the
// datagram socket when it cannot be opened.
int search_hosts(int seconds, int target_port, int answer_port, HostList& list);

}  // namespace kovw::shell
