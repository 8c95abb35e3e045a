// The run-length code of font width tables: the first byte picks the unit size (1 to 4).
// Arbitrary codes are decoded within the output limit or refused; arbitrary tables code within
// the bound and decode to themselves.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "graphics/width_table_code.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t unit = data[0] % 4 + 1;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  constexpr std::size_t kLimit = 1 << 18;  // twice a coded table of 65,536 two-byte units
  if (const auto decoded = kovw::graphics::decode_width_table(rest, unit, kLimit)) {
    if (decoded->size() > kLimit) std::abort();
  }
  const std::span<const std::uint8_t> table = rest.first(rest.size() / unit * unit);
  const auto code = kovw::graphics::encode_width_table(table, unit);
  if (code.size() > kovw::graphics::width_code_bound(table.size() / unit, unit)) std::abort();
  const auto back = kovw::graphics::decode_width_table(code, unit, table.size());
  if (!back || !std::equal(back->begin(), back->end(), table.begin(), table.end())) std::abort();
  return 0;
}
