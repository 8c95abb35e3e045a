#pragma once
// KWK_WMELDE: a message box the host asks for. The program thread shows it (and waits for the
// user, as the host does) and answers with the button chosen.

#include <cstdint>
#include <span>

namespace kovw::session {

struct ProgramSession;

// The key codes a host library without the Retc answer receives for the box's answer: F2
// (OK, Yes, Retry) and F3 (any other), as the workstation's default key layout codes them.
inline constexpr std::uint16_t kBoxPositiveKey = 25;
inline constexpr std::uint16_t kBoxNegativeKey = 1;

void handle_message_box(ProgramSession& session, std::span<const std::uint8_t> payload);

}  // namespace kovw::session
