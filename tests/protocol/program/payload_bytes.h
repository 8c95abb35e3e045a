#pragma once
// Hand-made payload bytes for program-link message tests: integer and byte-string fields
// written out byte by byte, independent of the field writers under test.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace kovw::protocol::testing {

using Bytes = std::vector<std::uint8_t>;

// Integer field of width 4: 00 04 and the value big-endian.
inline Bytes int4(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {
      0, 4, std::uint8_t(u >> 24), std::uint8_t(u >> 16), std::uint8_t(u >> 8), std::uint8_t(u)};
}
// Integer field of width 1.
inline Bytes int1(std::uint8_t v) {
  return {0, 1, v};
}
// Byte-string field of fewer than 0x4000 bytes.
inline Bytes field(const Bytes& data) {
  Bytes out{std::uint8_t(data.size() >> 8), std::uint8_t(data.size())};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}
// Text item with its terminating zero.
inline Bytes str(std::string_view text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return field(data);
}
inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

}  // namespace kovw::protocol::testing
