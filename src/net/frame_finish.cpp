// Decoding a complete frame in the reader: decryption, decompression, classic header form.
#include <algorithm>
#include <cstring>

#include "foundation/log.h"
#include "net/frame_memory.h"
#include "net/frame_reader.h"
#include "net/last_socket_error.h"
#include "net/link_state.h"
#include "net/link_stats.h"
#include "net/packbits.h"

namespace kovw::net {

namespace {

int malformed(const FrameReader& reader, const char* what) {
  foundation::log_printf("link: %s (service %d, type %d), link broken", what,
                         reader.header[0] & kKindServiceMask, reader.header[1]);
  set_last_socket_error(kErrorInvalidData);
  return kLinkMalformed;
}

std::uint32_t read_le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

// Makes the spare buffer hold at least `target` bytes.
bool reserve_spare(FrameReader& reader, std::size_t target) {
  if (reader.spare != nullptr && reader.spare_capacity >= target) return true;
  if (reader.spare != nullptr && reader.spare != reader.built_in[0] &&
      reader.spare != reader.built_in[1]) {
    frame_memory_give(reader.spare, reader.spare_capacity);
  }
  reader.spare = nullptr;
  reader.spare_capacity = 0;
  if (target <= kBuiltInBuffer) {
    reader.spare = reader.payload == reader.built_in[0] ? reader.built_in[1] : reader.built_in[0];
    reader.spare_capacity = kBuiltInBuffer;
    return true;
  }
  // At least the size of a heap payload buffer, so that the two buffers can swap roles for
  // medium frames without new allocations.
  const std::size_t capacity = std::max(target, kMinHeapBuffer);
  reader.spare = frame_memory_take(capacity);
  if (reader.spare == nullptr) return false;
  reader.spare_capacity = capacity;
  return true;
}

int decrypt(FrameReader& reader, LinkState& state) {
  const std::size_t total = reader.payload_length;
  if (total < 4 || (total - 4) % kTwofishBlock != 0) {
    return malformed(reader, "encrypted payload is not whole blocks and a length");
  }
  if (!link_prepare_keys(state)) return malformed(reader, "encrypted frame without a session key");
  const std::size_t blocks_length = total - 4;
  const std::uint32_t plain_length = read_le32(reader.payload + blocks_length);
  if (plain_length > blocks_length) {
    return malformed(reader, "encrypted payload claims more bytes than it holds");
  }
  std::uint8_t iv[kTwofishBlock] = {};
  state.cipher->decrypt_cbc(reader.payload, blocks_length, iv);
  reader.payload_length = plain_length;
  return 0;
}

int decompress(FrameReader& reader) {
  const std::size_t length = reader.payload_length;
  if (length < kCompressionPrefix) return malformed(reader, "compressed payload without prefix");
  const std::uint32_t original = read_be32(reader.payload);
  const std::uint8_t method = reader.payload[4];
  if (original > kMaxFrameLength) return malformed(reader, "uncompressed length above the limit");
  const std::uint8_t* data = reader.payload + kCompressionPrefix;
  const std::size_t stored = length - kCompressionPrefix;
  // The coded bytes cannot produce more than this: nothing is allocated for a length they could
  // never fill.
  if (method == kMethodPackBits && original > packbits_decoded_bound(stored)) {
    return malformed(reader, "compressed payload does not decode to its length");
  }
  if (!reserve_spare(reader, original)) return -1;
  LinkStatistics& stats = link_stats();
  link_stats_add(stats.compressed_bytes, length);
  if (method == kMethodPackBits) {
    const long decoded = packbits_decode(data, stored, reader.spare, original);
    if (decoded != static_cast<long>(original)) {
      return malformed(reader, "compressed payload does not decode to its length");
    }
  } else {
    blank_fill_decode(data, stored, reader.spare, original);
  }
  link_stats_add(stats.uncompressed_bytes, original);
  std::swap(reader.payload, reader.spare);
  std::swap(reader.payload_capacity, reader.spare_capacity);
  reader.payload_length = original;
  return 0;
}

}  // namespace

int frame_finish(FrameReader& reader, LinkState& state) {
  if (reader.state != kFrameComplete) return malformed(reader, "frame finished before complete");
  std::uint8_t* header = reader.header.data();
  if ((header[0] & kKindEncrypted) != 0) {
    state.encryption_on = true;
    if (reader.payload_length != 0) {
      if (const int result = decrypt(reader, state); result != 0) return result;
    }
    header[0] &= static_cast<std::uint8_t>(~kKindEncrypted);
  } else {
    state.encryption_on = false;
  }
  link_stats_count_payload(reader.payload_length);
  if ((header[0] & kKindCompressed) != 0) {
    if (const int result = decompress(reader); result != 0) return result;
  }
  header[0] &= static_cast<std::uint8_t>(kKindServiceMask);
  const std::size_t length = reader.payload_length;
  if (length < kLongLengthEscape) {
    header[2] = static_cast<std::uint8_t>(length >> 8);
    header[3] = static_cast<std::uint8_t>(length);
  } else {
    header[2] = header[3] = 0xff;
    write_be32(header + 4, static_cast<std::uint32_t>(length));
  }
  return 0;
}

int frame_finish(FrameReader& reader) {
  return frame_finish(reader, link_state());
}

}  // namespace kovw::net
