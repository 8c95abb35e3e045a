// The local table file "drtab.ini" from disk: any bytes are refused or give a record of the
// full size whose text length fits its field; a record read back from its own file is equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "shell/table_file.h"

using namespace kovw::shell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TableRead read = parse_table_file(std::span(data, size));
  if (!read.error.empty()) {
    if (!read.record.empty()) std::abort();
    return 0;
  }
  if (read.record.size() < kTableRecordSize) std::abort();
  const auto file = build_table_file(read.record);
  if (file.empty()) return 0;
  const TableRead again = parse_table_file(file);
  if (!again.error.empty()) std::abort();
  return 0;
}
