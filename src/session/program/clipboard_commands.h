#pragma once
// The host's clipboard requests: KWK_KSETCLIP puts text on the clipboard; KWK_KGETCLIP answers
// the files dropped on the content window since the last request, else the clipboard's text.

#include <cstdint>
#include <span>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

void handle_set_clipboard(HandlerContext& context, std::span<const std::uint8_t> payload);
void handle_get_clipboard(HandlerContext& context, std::span<const std::uint8_t> payload);

// Registers KWK_KSETCLIP and KWK_KGETCLIP of service KWD_KOMM.
void register_clipboard_commands(CommandTable& table);

}  // namespace kovw::session
