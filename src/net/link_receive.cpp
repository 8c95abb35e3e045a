// Receiving frames from a socket: the receive step and the blocking receive with time-out.
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "net/byte_order.h"
#include "net/last_socket_error.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"

namespace kovw::net {

int frame_receive_step(FrameReader& reader, int wait_ms, LinkState& state) {
  if (reader.state == kFrameComplete) return 1;
  const std::span<std::uint8_t> space = frame_receive_space(reader);
  if (space.empty()) {
    // A payload buffer could not be had (memory, or the bound of all links).
    set_last_socket_error(kErrorNotEnoughMemory);
    return -1;
  }
  const int received =
      sc_recv(reader.socket, static_cast<int>(space.size()), space.data(), kRecvAny, wait_ms);
  if (received <= 0) return received;
  return frame_accept(reader, static_cast<std::size_t>(received), state);
}

int frame_receive_step(FrameReader& reader, int wait_ms) {
  return frame_receive_step(reader, wait_ms, link_state());
}

namespace {

// HV_DC_NETTIMEOUT, read at the first blocking receive of the process.
void read_timeout_environment_once() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* text = std::getenv("HV_DC_NETTIMEOUT");
    if (text != nullptr && *text != '\0') {
      set_default_net_timeout(net_timeout_from_option(std::strtol(text, nullptr, 10)));
    }
    link_state().net_timeout_ms = default_net_timeout();
  });
}

}  // namespace

void link_take_message(FrameReader& reader, LinkMessage& message) {
  const std::uint8_t* header = reader.header.data();
  if ((header[0] & kKindServiceMask) == 0 && header[1] == 1 && reader.payload_length > 2) {
    set_byte_order_mode((reader.payload[2] & 0x0f) == 0 ? 2 : 1);
  }
  message.service = static_cast<std::uint8_t>(header[0] & kKindServiceMask);
  message.type = header[1];
  std::memcpy(message.tail.data(), header + 4, message.tail.size());
  message.length = static_cast<std::int32_t>(reader.payload_length);
}

int link_receive(LinkState& state, LinkMessage& message, FrameReader& reader, int flags) {
  read_timeout_environment_once();
  for (;;) {
    frame_reset(reader, reader.socket);
    int result;
    do {
      result = frame_receive_step(reader, state.net_timeout_ms, state);
    } while (result == 1);
    if (result <= 0) return result;
    if (frame_is_keep_alive(reader)) {
      if (flags & kSkipKeepAlive) continue;
      if (flags & kReturnKeepAlive) return 2;
    }
    if (const int finished = frame_finish(reader, state); finished != 0) return finished;
    link_take_message(reader, message);
    return 1;
  }
}

int link_receive(int socket, LinkMessage& message, FrameReader& reader, int flags) {
  reader.socket = socket;
  return link_receive(link_state(), message, reader, flags);
}

}  // namespace kovw::net
