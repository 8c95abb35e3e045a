#include "shell/host_search.h"

#include <chrono>

#include "foundation/log.h"
#include "net/datagram.h"
#include "protocol/server_messages.h"

namespace kovw::shell {

bool HostList::add_answer(std::span<const std::uint8_t> answer,
                          const std::array<std::uint8_t, 4>& station) {
  for (const HostEntry& entry : entries_) {
    if (entry.station == station) return false;
  }
  const protocol::Result<protocol::HostAnswer> parsed = protocol::parse_host_answer(answer);
  if (!parsed) {
    foundation::log_printf("Host search: answer from %d.%d.%d.%d dropped: %s", station[0],
                           station[1], station[2], station[3], parsed.error().message.c_str());
    return false;
  }
  HostEntry entry;
  entry.name = parsed->host_name;
  entry.address = parsed->address;
  entry.station = station;
  entry.port = parsed->port.value_or(0);
  entry.load = parsed->load.value_or(-1);
  if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + 40);
  entries_.push_back(std::move(entry));
  return true;
}

const HostEntry* HostList::find(const std::string& name) const {
  for (const HostEntry& entry : entries_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

const HostEntry* HostList::least_loaded() const {
  const HostEntry* best = nullptr;
  for (const HostEntry& entry : entries_) {
    if (entry.load < 0 || entry.load >= 1000000) continue;
    if (best == nullptr || entry.load < best->load) best = &entry;
  }
  return best;
}

int search_hosts(int seconds, int target_port, int answer_port, HostList& list) {
  const int socket = net::uc_open(answer_port, true);
  if (socket < 0) return socket;
  list.clear();
  const std::vector<net::DatagramAddress> targets =
      net::uc_broadcast_addresses(static_cast<std::uint16_t>(target_port));
  const std::vector<std::uint8_t> query = protocol::build_host_query();
  auto ask = [&] {
    for (const net::DatagramAddress& target : targets) {
      net::uc_send(socket, query.data(), static_cast<int>(query.size()), target,
                   net::kDatagramModePlain);
    }
  };
  const int previous_wait = net::uc_receive_wait();
  net::uc_set_receive_wait(1500);
  ask();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::array<std::uint8_t, 512> buffer{};
  while (std::chrono::steady_clock::now() < end) {
    net::DatagramAddress sender;
    const int received = net::uc_recv(socket, buffer.data(), static_cast<int>(buffer.size()),
                                      &sender, net::kDatagramModePlain);
    if (received < 0) {
      ask();
      continue;
    }
    list.add_answer({buffer.data(), static_cast<std::size_t>(received)}, sender.ip);
  }
  net::uc_set_receive_wait(previous_wait);
  net::uc_close(socket);
  return 0;
}

}  // namespace kovw::shell
