// Fuzzes the parsers of every message described field by field (the table in
// described_message_table.h): each input is one payload, given to every parser in the table. A
// program request that fails gets the error answer the waiting host would receive.

#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/described_message_table.h"
#include "protocol/program/error_answers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::protocol;
  const std::span<const std::uint8_t> payload(data, size);
  for_each_described_message([&](const auto& entry) {
    const auto parsed = entry.parse(payload);
    if (!parsed.ok() && entry.program_link)
      (void)error_answer(entry.service, entry.type, parsed.error(), false);
  });
  return 0;
}
