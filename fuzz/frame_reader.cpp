// Arbitrary bytes as a stream of frames, received in chunks whose sizes the input chooses.
#include <cstddef>
#include <cstdint>

#include "frame_decode_limit.h"
#include "net/frame_reader.h"
#include "net/link_state.h"

using namespace kovw::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool keyed = [] {
    const std::uint8_t client[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::uint8_t server[16] = {};
    link_set_session_key(client, server);
    return true;
  }();
  (void)keyed;
  if (size < 1) return 0;
  link_set_options(data[0] & 0x3ff, true, true);
  const unsigned chunk_seed = data[0];
  FrameReader reader;
  frame_reset(reader, -1);
  std::size_t at = 1;
  unsigned round = 0;
  while (at < size) {
    const std::size_t chunk = 1 + (chunk_seed * 31 + round++ * 17) % 97;
    const std::size_t count = chunk < size - at ? chunk : size - at;
    int result = 0;
    at += frame_feed(reader, data + at, count, &result);
    if (result < 0) return 0;
    if (result == 2) {
      if (kovw::fuzz::decodes_too_large(reader)) {
        frame_reset(reader, -1);
        continue;
      }
      if (frame_finish(reader) != 0) return 0;
      // Touch both ends of the payload so that a wrong length shows up under the sanitizer.
      if (reader.payload_length != 0) {
        volatile std::uint8_t sink = reader.payload[0];
        sink = reader.payload[reader.payload_length - 1];
        (void)sink;
      }
      frame_reset(reader, -1);
    }
  }
  return 0;
}
