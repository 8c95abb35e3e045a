#pragma once
// KWK_KGETCOL: the host asks the user for a colour. The chooser is modal to the program's
// window; the custom colours come from the settings and go back to them.

#include <cstdint>
#include <span>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

void handle_colour_choice(HandlerContext& context, std::span<const std::uint8_t> payload);

// Registers KWK_KGETCOL of service KWD_KOMM.
void register_colour_choice_commands(CommandTable& table);

}  // namespace kovw::session
