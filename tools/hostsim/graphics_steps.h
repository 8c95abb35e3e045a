#pragma once
// Script lines of host programs that define a graphics window and draw into it with the
// graphics stream; each drawing line is one stream message with lengths (KWK_SDLEN).

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"

namespace hostsim {

// The message of a graphics line (GDIGRA, GEND, GCOLOUR, GBACKGROUND, GLWID, GFILL, GLINE,
// GRECT, GCIRCLE, GSETFONT, GFONT, GTOPT, GTEXT, GTIP, GFLUSH, GGET), nothing for another command;
// `error` holds the fault of a graphics line that is wrong.
std::optional<kovw::protocol::Outgoing> parse_graphics_step(const std::vector<std::string>& words,
                                                            std::string& error);

// The answer to a graphics input request (kind, key, world and device position), decoded.
std::string describe_input_answer(std::span<const std::uint8_t> payload);

// The reply to a graphics window definition, decoded for the frame log.
std::string describe_definition_reply(std::span<const std::uint8_t> payload);

}  // namespace hostsim
