#include "net/frame_reader.h"

#include <algorithm>
#include <cstring>

#include "foundation/log.h"
#include "net/frame_memory.h"
#include "net/last_socket_error.h"
#include "net/link_state.h"
#include "net/link_stats.h"
#include "net/link_trace.h"

namespace kovw::net {

namespace {

bool is_built_in(const FrameReader& reader, const std::uint8_t* buffer) {
  return buffer == reader.built_in[0] || buffer == reader.built_in[1];
}

void release_buffer(const FrameReader& reader, std::uint8_t* buffer, std::size_t capacity) {
  if (buffer != nullptr && !is_built_in(reader, buffer)) frame_memory_give(buffer, capacity);
}

// A large announced payload is not allocated in one piece before its bytes arrive: the buffer
// starts at this size and doubles as the bytes come in, so a peer cannot make the reader take
// memory for data it never sends.
constexpr std::size_t kFirstReceiveReserve = 1u << 20;

bool grow_payload(FrameReader& reader) {
  const std::size_t capacity =
      std::min(reader.payload_length, std::max(2 * reader.payload_capacity, kMinHeapBuffer));
  std::uint8_t* buffer = frame_memory_take(capacity);
  if (buffer == nullptr) return false;
  if (reader.payload_count != 0) std::memcpy(buffer, reader.payload, reader.payload_count);
  release_buffer(reader, reader.payload, reader.payload_capacity);
  reader.payload = buffer;
  reader.payload_capacity = capacity;
  return true;
}

}  // namespace

FrameReader::~FrameReader() {
  frame_release(*this);
}

int frame_reserve(FrameReader& reader, std::size_t length) {
  if (reader.payload != nullptr && reader.payload_capacity >= length) return 0;
  release_buffer(reader, reader.payload, reader.payload_capacity);
  reader.payload = nullptr;
  reader.payload_capacity = 0;
  if (length <= kBuiltInBuffer) {
    reader.payload = reader.spare == reader.built_in[0] ? reader.built_in[1] : reader.built_in[0];
    reader.payload_capacity = kBuiltInBuffer;
    return 0;
  }
  const std::size_t capacity = std::max(length, kMinHeapBuffer);
  reader.payload = frame_memory_take(capacity);
  if (reader.payload == nullptr) return -1;
  reader.payload_capacity = capacity;
  return 0;
}

void frame_release(FrameReader& reader) {
  release_buffer(reader, reader.payload, reader.payload_capacity);
  release_buffer(reader, reader.spare, reader.spare_capacity);
  reader.payload = reader.spare = nullptr;
  reader.payload_capacity = reader.spare_capacity = 0;
}

void frame_reset(FrameReader& reader, int socket) {
  reader.socket = socket;
  reader.state = kFrameNew;
  reader.payload_length = 0;
  // A large frame's buffers are not kept for the link's life.
  if (reader.payload_capacity > kKeptHeapBuffer) {
    release_buffer(reader, reader.payload, reader.payload_capacity);
    reader.payload = nullptr;
    reader.payload_capacity = 0;
  }
  if (reader.spare_capacity > kKeptHeapBuffer) {
    release_buffer(reader, reader.spare, reader.spare_capacity);
    reader.spare = nullptr;
    reader.spare_capacity = 0;
  }
}

bool frame_started(const FrameReader& reader) {
  return reader.state == kFrameInProgress && reader.header_count != 0;
}

bool frame_is_keep_alive(const FrameReader& reader) {
  return reader.state == kFrameComplete &&
         (reader.header[0] & kKindServiceMask) == kKeepAliveService &&
         reader.header[1] == kKeepAliveType && reader.payload_length == 0;
}

std::span<std::uint8_t> frame_receive_space(FrameReader& reader) {
  if (reader.state == kFrameComplete) return {};
  if (reader.state == kFrameNew) {
    reader.header_count = reader.payload_count = reader.payload_length = 0;
    reader.state = kFrameInProgress;
  }
  if (reader.header_count < kFrameHeaderSize) {
    return {reader.header.data() + reader.header_count, kFrameHeaderSize - reader.header_count};
  }
  if (reader.payload_count == reader.payload_capacity && !grow_payload(reader)) return {};
  const std::size_t limit = std::min(reader.payload_length, reader.payload_capacity);
  return {reader.payload + reader.payload_count, limit - reader.payload_count};
}

int frame_accept(FrameReader& reader, std::size_t count, LinkState& state) {
  LinkStatistics& stats = link_stats();
  link_stats_add(stats.bytes_received, count);
  if (reader.header_count < kFrameHeaderSize) {
    reader.header_count += count;
    if (reader.header_count < kFrameHeaderSize) return 1;
    const std::uint8_t* header = reader.header.data();
    const std::uint32_t length = header_payload_length(header);
    reader.payload_count = 0;
    if (state.level_tracking) state.header_level = header_is_extended(header) ? 2 : 1;
    if (length > kMaxFrameLength) {
      foundation::log_printf("link: frame length %lu above the limit, link broken",
                             static_cast<unsigned long>(length));
      set_last_socket_error(kErrorInvalidData);
      return kLinkMalformed;
    }
    reader.payload_length = length;
    if (length != 0 &&
        frame_reserve(reader, std::min<std::size_t>(length, kFirstReceiveReserve)) != 0) {
      return -1;
    }
    if (length <= header_inline_capacity(header)) {
      if (length != 0) std::memcpy(reader.payload, header + header_tail_offset(header), length);
      reader.state = kFrameComplete;
      frame_trace("recv", header[0], header[1], static_cast<long>(kFrameHeaderSize));
      return 2;
    }
    return 1;
  }
  reader.payload_count += count;
  if (reader.payload_count < reader.payload_length) return 1;
  reader.state = kFrameComplete;
  frame_trace("recv", reader.header[0], reader.header[1],
              static_cast<long>(kFrameHeaderSize + reader.payload_length));
  return 2;
}

std::size_t frame_feed(FrameReader& reader, const std::uint8_t* data, std::size_t length,
                       int* result, LinkState& state) {
  std::size_t taken = 0;
  int step = 1;
  while (taken < length) {
    const std::span<std::uint8_t> space = frame_receive_space(reader);
    if (space.empty()) {
      step = reader.state == kFrameComplete ? 2 : -1;
      break;
    }
    const std::size_t count = std::min(space.size(), length - taken);
    std::memcpy(space.data(), data + taken, count);
    taken += count;
    step = frame_accept(reader, count, state);
    if (step != 1) break;
  }
  if (result) *result = step;
  return taken;
}

int frame_accept(FrameReader& reader, std::size_t count) {
  return frame_accept(reader, count, link_state());
}

std::size_t frame_feed(FrameReader& reader, const std::uint8_t* data, std::size_t length,
                       int* result) {
  return frame_feed(reader, data, length, result, link_state());
}

}  // namespace kovw::net
