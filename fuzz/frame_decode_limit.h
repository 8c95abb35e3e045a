#pragma once
// For the frame targets: whether finishing a complete frame would decompress it to more than a
// limit. A compressed payload names its uncompressed length (up to 64 MiB), and finishing
// allocates and fills that much: a few such inputs slow a fuzzer down to a handful of runs a
// second while adding nothing the smaller lengths do not reach. The targets skip those frames.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "net/frame_reader.h"
#include "net/link_state.h"

namespace kovw::fuzz {

inline constexpr std::uint32_t kMaxFuzzDecodedLength = 1u << 20;

// The uncompressed length the complete frame in `reader` names, decrypting a copy of its first
// block when the frame is encrypted; 0 when the frame is not compressed or too short to name one
// (frame_finish refuses those by itself).
inline std::uint32_t named_decoded_length(const net::FrameReader& reader) {
  const std::uint8_t kind = reader.header[0];
  if ((kind & net::kKindCompressed) == 0) return 0;
  std::uint8_t prefix[net::kTwofishBlock] = {};
  if ((kind & net::kKindEncrypted) != 0) {
    net::LinkState& state = net::link_state();
    if (reader.payload_length < net::kTwofishBlock + 4 || !net::link_prepare_keys(state)) return 0;
    std::memcpy(prefix, reader.payload, net::kTwofishBlock);
    std::uint8_t iv[net::kTwofishBlock] = {};
    state.cipher->decrypt_cbc(prefix, net::kTwofishBlock, iv);
  } else {
    if (reader.payload_length < net::kCompressionPrefix) return 0;
    std::memcpy(prefix, reader.payload, net::kCompressionPrefix);
  }
  return net::read_be32(prefix);
}

inline bool decodes_too_large(const net::FrameReader& reader) {
  return named_decoded_length(reader) > kMaxFuzzDecodedLength;
}

}  // namespace kovw::fuzz
