// frame_finish on a frame with every combination of the kind flags and header forms, and a
// round trip through link_build_frame that must give the payload back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "frame_decode_limit.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_state.h"

using namespace kovw::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool keyed = [] {
    const std::uint8_t client[16] = {7};
    const std::uint8_t server[16] = {9};
    link_set_session_key(client, server);
    return true;
  }();
  (void)keyed;
  if (size < 2) return 0;
  const std::uint8_t flags = data[0];
  const std::uint8_t level = data[1];
  data += 2;
  size -= 2;

  // 1. The input as a frame: kind flags from the input, the rest as payload.
  {
    std::uint8_t header[kFrameHeaderSize] = {};
    header[0] = static_cast<std::uint8_t>((flags & 0xe0) | 4);
    header[1] = 2;
    header[6] = level;
    header_set_length(header, static_cast<std::uint32_t>(size));
    const std::size_t tail = header_tail_offset(header);
    FrameReader reader;
    frame_reset(reader, -1);
    int result = 0;
    std::size_t taken = 0;
    if (size <= header_inline_capacity(header)) {
      std::memcpy(header + tail, data, size);
      taken = frame_feed(reader, header, sizeof header, &result);
    } else {
      frame_feed(reader, header, sizeof header, &result);
      if (result == 1) taken = frame_feed(reader, data, size, &result);
    }
    (void)taken;
    if (result == 2 && !kovw::fuzz::decodes_too_large(reader) && frame_finish(reader) == 0) {
      // Touch both ends of the payload so that a wrong length shows up under the sanitizer.
      if (reader.payload_length != 0) {
        volatile std::uint8_t sink = reader.payload[0];
        sink = reader.payload[reader.payload_length - 1];
        (void)sink;
      }
    }
  }

  // 2. Round trip with the options the flags choose.
  link_set_options((level & 0x03) | ((flags & 0x01) ? 0x100u : 0u) | ((flags & 0x02) ? 0x200u : 0u),
                   true, true);
  LinkMessage message;
  message.service = static_cast<std::uint8_t>(flags >> 3);
  message.type = 1;
  message.length = static_cast<std::int32_t>(size);
  const auto frame = link_build_frame(message, data);
  if (frame.empty()) std::abort();
  FrameReader reader;
  frame_reset(reader, -1);
  int result = 0;
  const std::size_t taken = frame_feed(reader, frame.data(), frame.size(), &result);
  if (result != 2 || taken != frame.size() || frame_finish(reader) != 0) std::abort();
  if (reader.payload_length != size || (size && std::memcmp(reader.payload, data, size) != 0)) {
    std::abort();
  }
  return 0;
}
