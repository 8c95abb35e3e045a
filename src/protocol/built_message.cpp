#include "protocol/built_message.h"

#include "net/link_io.h"

namespace kovw::protocol {

BuiltMessage make_message(int service, int type, std::vector<std::uint8_t> payload) {
  BuiltMessage message;
  message.header.service = static_cast<std::uint8_t>(service);
  message.header.type = static_cast<std::uint8_t>(type);
  message.header.length = static_cast<std::int32_t>(payload.size());
  message.payload = std::move(payload);
  return message;
}

int send_message(int socket, const BuiltMessage& message) {
  return net::link_send(socket, message.header,
                        message.payload.empty() ? nullptr : message.payload.data());
}

}  // namespace kovw::protocol
