#pragma once
// KWK_WTIT: the host sets the caption text of its window. The main window shows the caption,
// the connection name in parentheses and, while the login runs with a slow-connection level,
// which pictures are left out.

#include <cstdint>
#include <span>
#include <string>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

// The longest caption text in characters.
inline constexpr std::size_t kCaptionMax = 255;

// The title shown for `caption` (UTF-8): followed, when `connection` is given, by a blank and
// the connection name in parentheses, and when `slow_connect_level` is not 0 by a blank and
// "[" message 40504 "]" (level 1, pictures off) or "[" message 40505 "]" (2 and above, large
// pictures off).
std::string shown_title(const std::string& caption, const std::string* connection,
                        int slow_connect_level);

void handle_title(HandlerContext& context, std::span<const std::uint8_t> payload);
// KWK_WTOOL: the own frame's tool caption, shown as the title is but without the connection
// name; the caption and the thread's name stay.
void handle_tool_caption(HandlerContext& context, std::span<const std::uint8_t> payload);

// Registers KWK_WTIT and KWK_WTOOL of service KWD_WIN.
void register_title_commands(CommandTable& table);

}  // namespace kovw::session
