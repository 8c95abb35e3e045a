#pragma once
// The header of a PCX file for the tests: run-length coding, the picture from (0, 0), and a
// 16-colour header palette of zeros.

#include <cstdint>
#include <vector>

namespace kovw::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes pcx_header(int width, int height, int bits, int planes, int line_bytes) {
  Bytes b(128, 0);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = 1;
  b[3] = static_cast<std::uint8_t>(bits);
  auto put16 = [&](int at, int v) {
    b[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(v);
    b[static_cast<std::size_t>(at) + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put16(8, width - 1);
  put16(10, height - 1);
  b[65] = static_cast<std::uint8_t>(planes);
  put16(66, line_bytes);
  return b;
}

}  // namespace kovw::test
