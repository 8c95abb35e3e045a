#pragma once
// Requests that the workstation reads and does nothing with: the help request (no answer) and
// the printer requests, answered with 1 and their "not implemented" text.

#include <cstdint>
#include <span>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

// KWK_KHELP_REQUEST: checked and logged, never answered.
void handle_help_request(std::span<const std::uint8_t> payload);

// KWK_KGETPRINTER, KWK_KSENDPRINTER: always answered, also when the request is unreadable.
void handle_printer_request(HandlerContext& context, int type,
                            std::span<const std::uint8_t> payload);

// Registers KWK_KHELP_REQUEST and the printer requests of service KWD_KOMM.
void register_ignored_requests(CommandTable& table);

}  // namespace kovw::session
