#pragma once
// Service KWD_LIST messages of icon and list views: tree and list definitions, the list
// dialog with its field and button records, information blocks, and the view's answers.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kTreeHeaderSize = 64;
inline constexpr std::size_t kTreeEntrySize = 136;
inline constexpr std::size_t kListHeaderSize = 720;
inline constexpr std::size_t kListEntrySize = 516;
inline constexpr std::size_t kListDialogHeaderSize = 144;
inline constexpr std::size_t kListDialogFieldSize = 136;
inline constexpr std::size_t kListDialogButtonSize = 130;
// A list dialog field record: its 16-bit length and the position of its value in the data
// block; a button record: its 16-bit code.
inline constexpr std::size_t kListFieldLengthOffset = 128;
inline constexpr std::size_t kListFieldPositionOffset = 130;
inline constexpr std::size_t kListButtonCodeOffset = 128;
inline constexpr std::size_t kListInfoHeaderSize = 18;

// KWK_LTREE and KWK_LLIST: one byte-string item, at least its header long.
Outgoing build_view_definition(int type, std::span<const std::uint8_t> definition);
Result<Bytes> parse_view_definition(int type, std::span<const std::uint8_t> payload);

// KWK_LDIALOG: header (16-bit field count at 0, button count at 2, title from 16), field
// records (16-bit length at 128 and value position in the data block at 130), button
// records, and the data block. Every field's value must lie inside the data block.
struct ListDialog {
  Bytes header;                // kListDialogHeaderSize bytes
  std::vector<Bytes> fields;   // kListDialogFieldSize bytes each
  std::vector<Bytes> buttons;  // kListDialogButtonSize bytes each
  Bytes data;
};
Outgoing build_ldialog(const ListDialog& dialog);
Result<ListDialog> parse_ldialog(std::span<const std::uint8_t> payload);

// KWK_LINFO: read and ignored by the view; checked all the same.
struct ListInfo {
  Bytes header;  // kListInfoHeaderSize bytes
  Bytes data;
};
Outgoing build_linfo(const ListInfo& info);
Result<ListInfo> parse_linfo(std::span<const std::uint8_t> payload);

// KWK_LANTW (W->H): an event of the view.
struct ListAnswer {
  std::int32_t event = 0;
  std::string text;
  // entry value, folder value, selected folder, entry number, window x, y, width, height,
  // tree width, then three zeros
  std::array<std::int32_t, 12> values{};
};
Outgoing build_lantw(const ListAnswer& answer);
Result<ListAnswer> parse_lantw(std::span<const std::uint8_t> payload);

// KWK_LANTWDIA (W->H): the list dialog's result and data block.
struct ListDialogAnswer {
  std::int32_t result = 0;
  Bytes data;
};
Outgoing build_lantwdia(const ListDialogAnswer& answer);
Result<ListDialogAnswer> parse_lantwdia(std::span<const std::uint8_t> payload);

// KWK_LCURSOR: "1" app-starting cursor, "2" wait cursor, anything else the arrow.
enum class ListCursor { kArrow, kAppStarting, kWait };
ListCursor parse_lcursor(std::span<const std::uint8_t> payload);

}  // namespace kovw::protocol
