#pragma once
// KWK_KMAP: the host shows, hides, raises, lowers or minimises one of the workstation's windows
// by the handle KGETWINID reported (its own or another program's). The program thread posts
// the operation to its view (view/window_operations.h carries it out). Position and size never
// change.

#include <cstdint>
#include <span>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

// Window operations; other numbers are ignored.
inline constexpr int kMapShow = 1;            // show, raise, restore, activate
inline constexpr int kMapShowTopmost = 2;     // as 1, and keep it above other windows
inline constexpr int kMapShowNotTopmost = 3;  // as 1, and no longer keep it above
inline constexpr int kMapLower = 4;           // to the bottom of the stacking order
inline constexpr int kMapMinimise = 5;
inline constexpr int kMapRestore = 6;  // restore, activate, raise
inline constexpr int kMapHide = 7;
inline constexpr int kMapShowNoRestore = 8;  // show, raise, activate; a minimised window stays so

// Reads the request and posts a known operation to the view.
void handle_window_operation(HandlerContext& context, std::span<const std::uint8_t> payload);

// Registers KWK_KMAP of service KWD_KOMM.
void register_window_map_commands(CommandTable& table);

}  // namespace kovw::session
