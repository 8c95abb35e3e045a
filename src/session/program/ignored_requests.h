#pragma once
// Requests that the workstation reads and does nothing with: the help request (no answer) and
// the printer requests, answered with 1 and their "not implemented" text.

#include <cstdint>
#include <span>

namespace kovw::session {

struct ProgramSession;

// KWK_KHELP_REQUEST: checked and logged, never answered.
void handle_help_request(std::span<const std::uint8_t> payload);

// KWK_KGETPRINTER, KWK_KSENDPRINTER: always answered, also when the request is unreadable.
void handle_printer_request(ProgramSession& session, int type,
                            std::span<const std::uint8_t> payload);

}  // namespace kovw::session
