#include "shell/host_search.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "foundation/log.h"
#include "net/datagram.h"
#include "protocol/server_messages.h"

namespace kovw::shell {
namespace {

// The zero-terminated texts of an answer; a last text without its zero byte counts too.
std::vector<std::string> split_texts(std::span<const std::uint8_t> answer) {
  std::vector<std::string> texts;
  std::string current;
  for (std::uint8_t byte : answer) {
    if (byte == 0) {
      texts.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(byte));
    }
  }
  if (!current.empty()) texts.push_back(current);
  return texts;
}

int parse_number(const std::string& text, int absent) {
  if (text.empty()) return absent;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return absent;
  return static_cast<int>(std::clamp<long>(value, -2147483647L, 2147483647L));
}

}  // namespace

bool HostList::add_answer(std::span<const std::uint8_t> answer,
                          const std::array<std::uint8_t, 4>& station) {
  for (const HostEntry& entry : entries_) {
    if (entry.station == station) return false;
  }
  std::vector<std::string> texts = split_texts(answer);
  if (texts.empty() || texts[0].empty()) return false;
  HostEntry entry;
  entry.name = texts[0].substr(0, protocol::kMaxHostAnswerText);
  entry.address =
      texts.size() > 1 ? texts[1].substr(0, protocol::kMaxHostAnswerText) : std::string();
  entry.station = station;
  if (texts.size() > 2) entry.port = parse_number(texts[2], 0);
  if (texts.size() > 3) entry.load = parse_number(texts[3], -1);
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
