// Code table files from arbitrary bytes, and conversions through the tables that pass.
// The first byte chooses whether the input is a whole file or patches a valid one, so that
// the checks past the length and the conversions are reached too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/code_table.h"

namespace {

std::vector<std::uint8_t> valid_table(std::string_view name) {
  using namespace kovw::foundation;
  std::vector<std::uint8_t> bytes(kCodeTableFileSize, 0);
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
  };
  put(0, kCodeTableMagic);
  put(4, kCodeTableFileSize);
  std::copy(name.begin(), name.end(), bytes.begin() + kCodeTableNameOffset);
  put(kCodeTableHashOffset, code_table_hash(name));
  for (unsigned b = 0; b < 256; ++b) {
    bytes[kCodeTableToUtf8Offset + b * kCodeTableSlotSize] = static_cast<std::uint8_t>(b);
    bytes[kCodeTableFromUnicodeOffset + b] = static_cast<std::uint8_t>(b);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::foundation;
  if (size < 4) return 0;
  const int mode = data[0] & 3;
  const int flags = data[1] & 0x17;
  const std::size_t capacity = data[2];
  const std::uint8_t* rest = data + 3;
  const std::size_t rest_size = size - 3;

  std::vector<std::uint8_t> file;
  if (mode == 0) {
    file.assign(rest, rest + rest_size);
  } else {
    // Patch a valid table with the input: its header (mode 1) or its slots and the first
    // code points (modes 2 and 3).
    file = valid_table("FUZZ");
    const std::size_t at = mode == 1 ? 0 : kCodeTableToUtf8Offset;
    const std::size_t n = std::min(rest_size, kCodeTableFileSize - at);
    std::copy_n(rest, n, file.begin() + static_cast<std::ptrdiff_t>(at));
  }
  std::string error;
  auto table = parse_code_table(file, "FUZZ", "fuzz", error);
  if (!table && error.empty()) __builtin_trap();

  std::string_view text(reinterpret_cast<const char*>(rest), rest_size);
  std::string field(capacity, 'x');
  if (utf8_to_table(table.get(), text, field, flags) > capacity) __builtin_trap();
  if (table_to_utf8(table.get(), text, field, flags) > capacity) __builtin_trap();
  return 0;
}
