#pragma once
// Menu item records (234 bytes, little-endian members) as the screen definition and
// KWK_CREAKONTEXT carry them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>
#include "protocol/little_endian.h"

namespace kovw::protocol {

inline constexpr std::size_t kMenuItemRecordSize = 234;
// The most menu item records a screen definition may hold. Every item becomes a button or a
// menu entry on the GUI thread; a definition above this is refused before any widget is made,
// so that one host cannot freeze the windows of every program.
inline constexpr std::int32_t kMaxMenuItems = 2000;
inline constexpr std::size_t kMenuLabelOffset = 0;  // zero-terminated host text
inline constexpr std::size_t kMenuLabelSize = 40;
inline constexpr std::size_t kMenuHelpOffset = 40;  // zero-terminated host text
inline constexpr std::size_t kMenuHelpSize = 108;
inline constexpr std::size_t kMenuIconNameOffset = 148;  // the item's host icon, blank-padded
inline constexpr std::size_t kMenuIconNameSize = 20;
// One byte: a toolbar control's width in characters; in icon views the number of the key that
// chooses the item.
inline constexpr std::size_t kMenuWidthOrKeyOffset = 169;
inline constexpr std::size_t kMenuOldCommandOffset = 170;   // one byte, old host libraries
inline constexpr std::size_t kMenuBarOffset = 171;          // one byte: where the item goes
inline constexpr std::size_t kMenuFunctionKeyOffset = 172;  // 16-bit signed; -1: key list
inline constexpr std::size_t kMenuKeyListOffset = 174;      // up to 28 16-bit entries
inline constexpr std::size_t kMenuKeyListEntries = 28;
inline constexpr std::size_t kMenuKindOffset = 230;     // 16-bit kind and initial state
inline constexpr std::size_t kMenuCommandOffset = 232;  // 16-bit command code

using MenuItemRecord = std::array<std::uint8_t, kMenuItemRecordSize>;

// The record's function key: n for host function key n, -1 for a key list, below that none.
inline std::int16_t menu_function_key(const MenuItemRecord& record) {
  return static_cast<std::int16_t>(le16(record.data() + kMenuFunctionKeyOffset));
}

// Splits `data` (a whole number of records) into records. Host libraries below 0x04180E keep
// the command number in the byte at offset 170; it is copied into the 16-bit word at 230.
std::vector<MenuItemRecord> split_menu_records(std::span<const std::uint8_t> data,
                                               std::int32_t host_version);

}  // namespace kovw::protocol
