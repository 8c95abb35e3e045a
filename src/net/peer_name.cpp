#include "net/peer_name.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace kovw::net {

std::string choose_host_name(std::string_view official, std::span<const std::string> aliases) {
  constexpr std::size_t kShortName = 8;
  if (official.size() <= kShortName) return std::string(official);
  std::string_view best = official;
  for (const std::string& alias : aliases) {
    if (alias.size() < best.size()) best = alias;
  }
  return std::string(best);
}

namespace {

std::string dotted(const in_addr& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

}  // namespace

std::string peer_host_name(const in_addr& address) {
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_addr = address;
  char reverse[NI_MAXHOST] = {};
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(&peer), sizeof peer, reverse, sizeof reverse,
                    nullptr, 0, NI_NAMEREQD) != 0) {
    return dotted(address);
  }

  // The forward lookup needs the alias names, which only the reentrant host-entry
  // interface delivers.
  hostent entry{};
  hostent* found = nullptr;
  int lookup_error = 0;
  std::vector<char> work(4096);
  for (;;) {
    int rc = ::gethostbyname_r(reverse, &entry, work.data(), work.size(), &found, &lookup_error);
    if (rc == ERANGE && work.size() < (1u << 20)) {
      work.resize(work.size() * 2);
      continue;
    }
    if (rc != 0) found = nullptr;
    break;
  }
  if (found == nullptr || found->h_addrtype != AF_INET || found->h_length != 4 ||
      found->h_name == nullptr) {
    return dotted(address);
  }
  bool listed = false;
  for (char** item = found->h_addr_list; item != nullptr && *item != nullptr; ++item) {
    if (std::memcmp(*item, &address, 4) == 0) {
      listed = true;
      break;
    }
  }
  if (!listed) return dotted(address);

  std::vector<std::string> aliases;
  for (char** alias = found->h_aliases; alias != nullptr && *alias != nullptr; ++alias) {
    aliases.emplace_back(*alias);
  }
  return choose_host_name(found->h_name, aliases);
}

}  // namespace kovw::net
