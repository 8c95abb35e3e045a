#pragma once
// The link frame: a 24-byte header (kind, type, length, and a tail that carries a long length
// and short payloads inline) followed by the payload; and LinkMessage, the record through which
// callers send and receive frames.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kovw::net {

inline constexpr std::size_t kFrameHeaderSize = 24;

// Bits of the kind byte (header byte 0).
inline constexpr unsigned kKindServiceMask = 0x1f;
inline constexpr unsigned kKindEncrypted = 0x20;
inline constexpr unsigned kKindCompressed = 0x40;
inline constexpr unsigned kKindExtended = 0x80;

inline constexpr std::size_t kClassicInline = 20;   // payload bytes a classic header carries
inline constexpr std::size_t kExtendedInline = 16;  // payload bytes an extended header carries
inline constexpr std::uint32_t kLongLengthEscape = 0xffff;

// Largest payload accepted from a peer (announced, decrypted or uncompressed); larger lengths
// mean a broken link.
inline constexpr std::uint32_t kMaxFrameLength = 64u << 20;

// The 5-byte prefix of a compressed payload: uncompressed length (4 bytes, big-endian), method.
inline constexpr std::size_t kCompressionPrefix = 5;
inline constexpr std::uint8_t kMethodPackBits = 1;

// The keep-alive frame: service 15, type 254, no payload.
inline constexpr int kKeepAliveService = 15;
inline constexpr int kKeepAliveType = 254;

// A malformed frame from the peer (a broken link); last socket error kErrorInvalidData.
inline constexpr int kLinkMalformed = -50;
inline constexpr int kErrorInvalidData = 13;
// The system error of a frame buffer that could not be had.
inline constexpr int kErrorNotEnoughMemory = 8;

struct LinkMessage {
  std::uint8_t service = 0;  // send: the service (bits 0-4); receive: flag bits cleared
  std::uint8_t type = 0;
  std::array<std::uint8_t, 20> tail{};  // header bytes 4-23
  std::int32_t length = 0;              // payload length (host order)
};

// Header helpers. `header` points to 24 bytes.
inline bool header_is_extended(const std::uint8_t* header) {
  return (header[0] & kKindExtended) != 0 && (header[6] & 0x0f) >= 2;
}
inline std::size_t header_inline_capacity(const std::uint8_t* header) {
  return header_is_extended(header) ? kExtendedInline : kClassicInline;
}
inline std::size_t header_tail_offset(const std::uint8_t* header) {
  return header_is_extended(header) ? 8 : 4;
}

inline std::uint32_t read_be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}
inline void write_be32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

// The payload length a header announces (bytes 2-3, or the long length of its form).
inline std::uint32_t header_payload_length(const std::uint8_t* header) {
  const std::uint32_t short_length = (std::uint32_t{header[2]} << 8) | header[3];
  if (short_length != kLongLengthEscape) return short_length;
  return read_be32(header + (header_is_extended(header) ? 8 : 4));
}

// Writes `length` into the header in the header's own form.
inline void header_set_length(std::uint8_t* header, std::uint32_t length) {
  if (length < kLongLengthEscape) {
    header[2] = static_cast<std::uint8_t>(length >> 8);
    header[3] = static_cast<std::uint8_t>(length);
  } else {
    header[2] = header[3] = 0xff;
    write_be32(header + (header_is_extended(header) ? 8 : 4), length);
  }
}

}  // namespace kovw::net
