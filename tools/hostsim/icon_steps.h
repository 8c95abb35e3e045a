#pragma once
// Script lines of host programs that fill an icon view (screen mode 4): the folder tree, a list
// of generated entries, the list dialog and the tree requests; and the view's answers decoded
// for the frame log.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"

namespace hostsim {

// LTREE (a demonstration tree), LLIST COUNT ["title" [MODE]], LDIALOG "title", LEXPAND,
// LCOLLAPSE; nothing for another command, `error` set for a wrong icon view line.
std::optional<kovw::protocol::Outgoing> parse_icon_step(const std::vector<std::string>& words,
                                                        std::string& error);

// KWK_LANTW and KWK_LANTWDIA, decoded.
std::string describe_list_answer(std::span<const std::uint8_t> payload);
std::string describe_list_dialog_answer(std::span<const std::uint8_t> payload);

}  // namespace hostsim
