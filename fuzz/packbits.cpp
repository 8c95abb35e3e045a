// PackBits decoding of arbitrary data into a bounded buffer, and encode/decode round trips.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "net/packbits.h"

using namespace kovw::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t capacity = (std::size_t{data[0]} << 8 | data[1]) % 8192;
  std::vector<std::uint8_t> out(capacity);
  const long decoded = packbits_decode(data + 2, size - 2, out.data(), out.size());
  if (decoded > static_cast<long>(capacity)) std::abort();

  std::vector<std::uint8_t> coded(packbits_bound(size));
  const std::size_t coded_size = packbits_encode(data, size, coded.data());
  if (coded_size > coded.size()) std::abort();
  std::vector<std::uint8_t> back(size);
  if (packbits_decode(coded.data(), coded_size, back.data(), back.size()) !=
          static_cast<long>(size) ||
      std::memcmp(back.data(), data, size) != 0) {
    std::abort();
  }
  return 0;
}
