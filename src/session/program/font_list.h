#pragma once
// KWK_KFONTLIST: the installed font families whose names match a pattern, one 144-byte record
// each (protocol/program/font_records.h).
//
// The pattern is matched against the whole family name, without regard to case; "*" stands
// for any run of characters, "?" for one; an empty pattern matches every family. A character
// set other than 1 (any) keeps the families that cover its script. The font database may be
// asked from any thread, so the program thread enumerates itself.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "protocol/program/font_records.h"

namespace kovw::session {

class CommandTable;

struct HandlerContext;

void handle_font_list(HandlerContext& context, std::span<const std::uint8_t> payload);

// The matching families (`pattern` in UTF-8), sorted by name; nullopt when the fonts cannot be
// enumerated (no font database in this process).
std::optional<std::vector<protocol::FontRecord>> matching_fonts(std::string_view pattern,
                                                                int character_set);

// Whether `name` matches the wildcard `pattern` ("*", "?"), without regard to case.
bool font_name_matches(std::u16string_view pattern, std::u16string_view name);

// Registers KWK_KFONTLIST of service KWD_KOMM.
void register_font_list_commands(CommandTable& table);

}  // namespace kovw::session
