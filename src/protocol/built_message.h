#pragma once
// A message ready to send: the frame header record (service, type, length) and its payload.

#include <cstdint>
#include <vector>

#include "net/link_message.h"

namespace kovw::protocol {

struct BuiltMessage {
  net::LinkMessage header;  // service, type and length set; tail zero
  std::vector<std::uint8_t> payload;

  int type() const { return header.type; }
};

// A message of `service` and `type` with the payload (the length is taken from it).
BuiltMessage make_message(int service, int type, std::vector<std::uint8_t> payload);

// Sends the message on `socket` with the calling thread's link state (net::link_send).
int send_message(int socket, const BuiltMessage& message);

}  // namespace kovw::protocol
