#include "protocol/outgoing.h"

#include "net/link_io.h"

namespace kovw::protocol {

int send_message(int socket, const Outgoing& message) {
  return net::link_send(socket, message.header(),
                        message.payload.empty() ? nullptr : message.payload.data());
}

}  // namespace kovw::protocol
