#pragma once
// The name under which an accepted peer is shown: its host name when the reverse and the
// forward lookup agree, else its dotted address.

#include <netinet/in.h>

#include <span>
#include <string>
#include <string_view>

namespace kovw::net {

// The official name when it has at most 8 characters; otherwise the shortest alias that is
// strictly shorter than it (the first of equal length wins), or the official name.
std::string choose_host_name(std::string_view official, std::span<const std::string> aliases);

// Reverse-resolves the IPv4 address, checks the name forwards (its addresses must contain
// the peer address) and applies choose_host_name; falls back to the dotted address.
std::string peer_host_name(const in_addr& address);

}  // namespace kovw::net
