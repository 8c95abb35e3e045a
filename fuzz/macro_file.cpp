// Macro files of any content: the reader never reads past the bytes, every record it accepts
// encodes back to the bytes it came from, and an answer taken from a record is of its kind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "protocol/macro_file.h"

using namespace kovw::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const MacroFileContents contents = decode_macro_file(bytes);
  std::size_t at = kMacroFileHeaderSize;
  for (const MacroRecord& record : contents.records) {
    const std::vector<std::uint8_t> again = encode_macro_record(record);
    if (at + again.size() > size) std::abort();
    // Tags lose their trailing blanks only; everything else is kept as read.
    if (std::memcmp(again.data(), data + at, 12) != 0) std::abort();
    if (std::memcmp(again.data() + 32, data + at + 32, again.size() - 32) != 0) std::abort();
    if (again.size() > macro_record_limit(record.kind)) std::abort();
    at += again.size();
    if (const auto answer = macro_answer_of_record(record)) {
      const auto kind =
          macro_kind_of_answer(answer->service, answer->type, record.kind == kMacroDialog);
      if (!kind || *kind != record.kind) std::abort();
    }
  }
  return 0;
}
