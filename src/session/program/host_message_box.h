#pragma once
// KWK_WMELDE: a message box the host asks for. The program thread shows it (and waits for the
// user, as the host does) and answers with the button chosen.

#include <cstdint>
#include <span>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

// A host library without the Retc answer receives the box's answer as a key: F2 (OK, Yes,
// Retry) or F3 (any other) in the session's keyboard layout (message_box_answer_key).

void handle_message_box(HandlerContext& context, std::span<const std::uint8_t> payload);

// Registers KWK_WMELDE of service KWD_WIN.
void register_message_box_commands(CommandTable& table);

}  // namespace kovw::session
