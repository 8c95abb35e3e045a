#pragma once
// The messages described field by field (protocol/described_message_table.h) in the fuzz
// targets of both links: a payload goes to every parser of the table on its link, a message
// that parses is built again, and a program request that fails gets the error answer the
// waiting host would receive. The targets keep the selector values these messages had, so that
// their seeds still reach them.

#include <cstdint>
#include <span>

#include "protocol/described_message_table.h"
#include "protocol/program/error_answers.h"

namespace kovw::fuzz {

inline void parse_described_messages(std::span<const std::uint8_t> payload, bool program_link) {
  protocol::for_each_described_message([&](const auto& entry) {
    if (entry.program_link != program_link) return;
    const auto parsed = entry.parse(payload);
    if (parsed.ok())
      (void)entry.build(*parsed);
    else if (program_link)
      (void)protocol::error_answer(entry.service, entry.type, parsed.error(), false);
  });
}

}  // namespace kovw::fuzz
