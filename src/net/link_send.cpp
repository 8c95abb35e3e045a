// Sending frames: header, compression, encryption, one send per frame.
#include <cstring>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "net/last_socket_error.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/link_stats.h"
#include "net/link_trace.h"
#include "net/packbits.h"
#include "net/tcp_socket.h"

namespace kovw::net {

namespace {

// Frames are built in a work buffer that is kept between frames, so a stream of frames does not
// allocate per frame; a buffer grown beyond this size is given back after the frame.
constexpr std::size_t kKeptWorkBuffer = 1u << 20;
constexpr int kServiceNeverEncrypted = 6;

FrameBlock& thread_work_buffer() {
  thread_local FrameBlock buffer;
  return buffer;
}

void write_le32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

std::span<const std::uint8_t> link_build_frame(LinkState& state, FrameBlock& work_buffer,
                                               const LinkMessage& message, const void* payload) {
  if (message.length < 0 || static_cast<std::uint32_t>(message.length) > kMaxFrameLength ||
      (message.length > 0 && payload == nullptr)) {
    foundation::log_printf("link_send: invalid payload length %d", message.length);
    set_last_socket_error(foundation::kWSAEINVAL);
    return {};
  }
  std::size_t length = static_cast<std::size_t>(message.length);
  // Room for the header, the compression prefix, the coded data (never longer than the packbits
  // bound) and the cipher padding with its trailer.
  if (!work_buffer.reserve(kFrameHeaderSize + kCompressionPrefix + packbits_bound(length) +
                           kTwofishBlock + 4)) {
    foundation::log_printf("link_send: no work buffer for %zu bytes", length);
    set_last_socket_error(kErrorNotEnoughMemory);
    return {};
  }
  std::uint8_t* const frame = work_buffer.data();
  std::uint8_t* header = frame;
  std::uint8_t* body = frame + kFrameHeaderSize;
  header[0] = static_cast<std::uint8_t>(message.service & kKindServiceMask);
  header[1] = message.type;
  header[2] = header[3] = 0;
  std::memcpy(header + 4, message.tail.data(), message.tail.size());
  if (state.header_level >= 2) {
    header[0] |= kKindExtended;
    header[4] = 'H';
    header[5] = 'V';
    header[6] = static_cast<std::uint8_t>(state.header_level);
    header[7] = 0;
  }
  const std::size_t inline_capacity = header_inline_capacity(header);
  const auto* source = static_cast<const std::uint8_t*>(payload);

  // Compression, only where the frame would not travel inline anyway.
  bool compressed = false;
  if (length > inline_capacity && state.compression_on &&
      (state.level_tracking || link_version_word() >= 0x30009)) {
    const std::size_t coded = packbits_encode(source, length, body + kCompressionPrefix);
    if (coded + 4 < length) {
      write_be32(body, static_cast<std::uint32_t>(length));
      body[4] = kMethodPackBits;
      LinkStatistics& stats = link_stats();
      link_stats_add(stats.uncompressed_bytes, length);
      length = coded + kCompressionPrefix;
      link_stats_add(stats.compressed_bytes, length);
      header[0] |= kKindCompressed;
      compressed = true;
    }
  }
  if (!compressed && length != 0) std::memcpy(body, source, length);
  link_stats_count_payload(length);

  // Encryption: per frame, CBC from a zero chaining value, the plain length appended.
  if (state.encryption_on && message.service != kServiceNeverEncrypted &&
      link_prepare_keys(state)) {
    if (length != 0) {
      const std::size_t padded = (length + kTwofishBlock - 1) / kTwofishBlock * kTwofishBlock;
      std::memset(body + length, 0, padded - length);
      std::uint8_t iv[kTwofishBlock] = {};
      state.cipher->encrypt_cbc(body, padded, iv);
      write_le32(body + padded, static_cast<std::uint32_t>(length));
      length = padded + 4;
    }
    header[0] |= kKindEncrypted;
  }

  header_set_length(header, static_cast<std::uint32_t>(length));
  std::size_t size = kFrameHeaderSize + length;
  if (length <= inline_capacity) {
    if (length != 0) std::memmove(header + header_tail_offset(header), body, length);
    size = kFrameHeaderSize;
  }
  frame_trace("send", header[0], header[1], static_cast<long>(size));
  return {frame, size};
}

void link_trim_work_buffer(FrameBlock& work_buffer) {
  if (work_buffer.capacity() > kKeptWorkBuffer) work_buffer.reset();
}

int link_send(int socket, LinkState& state, FrameBlock& work_buffer, const LinkMessage& message,
              const void* payload) {
  const std::span<const std::uint8_t> frame =
      link_build_frame(state, work_buffer, message, payload);
  if (frame.empty()) return -1;
  const int size = static_cast<int>(frame.size());
  const int result = sc_send(socket, size, frame.data(), state.net_timeout_ms);
  link_trim_work_buffer(work_buffer);
  if (result < 0) return result;
  link_stats_add(link_stats().bytes_sent, static_cast<std::uint64_t>(size));
  return size;
}

std::span<const std::uint8_t> link_build_frame(const LinkMessage& message, const void* payload) {
  return link_build_frame(link_state(), thread_work_buffer(), message, payload);
}

int link_send(int socket, const LinkMessage& message, const void* payload) {
  return link_send(socket, link_state(), thread_work_buffer(), message, payload);
}

}  // namespace kovw::net
