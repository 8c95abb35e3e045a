#pragma once
// The definition of a graphics window (KWK_GDIGRA on the screen, KWK_PDIGRA for a print job)
// and the reply to it: the definition mode, the window record (tag 7, 884 bytes, kept whole
// and returned with the workstation's values filled in), the window flags, and for a mode-1
// definition the page definition, window options, display record, elements, toolbar items and
// icons, each checked against the payload. Plain C++ over the payload bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/program/icon_records.h"
#include "protocol/program/menu_records.h"

namespace kovw::graphics {

using Bytes = std::vector<std::uint8_t>;

inline constexpr int kWindowRecordTag = 7;
inline constexpr std::size_t kWindowRecordSize = 884;
inline constexpr int kPageDefinitionTag = 2;
inline constexpr std::size_t kPageDefinitionMax = 4316;
inline constexpr int kWindowOptionsTag = 1;
inline constexpr std::size_t kWindowOptionsSize = 272;
inline constexpr int kDisplayRecordTag = 10;
inline constexpr std::size_t kDisplayRecordSize = 224;
inline constexpr int kOldDisplayRecordTag = 4;
inline constexpr std::size_t kOldDisplayRecordSize = 120;
inline constexpr int kElementTag = 3;
inline constexpr std::size_t kElementSize = 120;
inline constexpr int kWideElementTag = 9;
inline constexpr std::size_t kWideElementSize = 192;
inline constexpr int kGeometryRecordTag = 11;
inline constexpr std::size_t kGeometryRecordSize = 112;
inline constexpr std::size_t kToolbarItemSize = 808;
inline constexpr std::size_t kIconEntrySize = protocol::kIconEntrySize;
// More elements, toolbar items or icons than this in one definition are refused.
inline constexpr std::int32_t kDefinitionCountMax = 10000;

// Definition modes.
inline constexpr int kDefine = 1;
inline constexpr int kEndDefinition = 2;
inline constexpr int kElementOperation = 5;
// The description of an input field (operation 25) that follows the record.
inline constexpr std::size_t kInputFieldSize = 320;

// Record kinds (offset 0).
inline constexpr int kRecordNoElements = 8;
inline constexpr int kRecordRelayout = 9;

// Window flags (offset 74).
inline constexpr int kHeightFromWidth = 0x0001;
inline constexpr int kKeepAspect = 0x0004;
inline constexpr int kNoBitmap = 0x0020;
inline constexpr int kWideElements = 0x0080;
inline constexpr int kIconList = 0x0100;
inline constexpr int kToolbarItems = 0x0200;
inline constexpr int kLargerFonts = 0x0400;

// Reply options (offset 38).
inline constexpr int kReplyWindowRect = 0x0020;
inline constexpr int kReplyGeometry = 0x0040;
inline constexpr int kReplyBrowser = 0x0080;

// The window record: little-endian numbers at their offsets, the window rectangle at 8 most
// significant byte first.
class WindowRecord {
 public:
  WindowRecord() { bytes_.fill(0); }
  explicit WindowRecord(std::span<const std::uint8_t> bytes);

  std::int32_t i16(std::size_t offset) const;
  std::uint32_t u16(std::size_t offset) const;
  std::int32_t i32(std::size_t offset) const;
  std::uint8_t u8(std::size_t offset) const { return bytes_[offset]; }
  void set16(std::size_t offset, std::int32_t value);
  void set32(std::size_t offset, std::int32_t value);
  void set8(std::size_t offset, int value) { bytes_[offset] = static_cast<std::uint8_t>(value); }
  // Left, top, width, height at offset 8.
  void set_window_rect(int left, int top, int width, int height);

  int kind() const { return i16(0); }
  int window_flags() const { return static_cast<int>(u16(74)); }
  std::int32_t world_width() const { return i32(76); }
  std::int32_t world_height() const { return i32(80); }
  // A text of the record: bytes up to the first zero, at most `size`.
  std::string text(std::size_t offset, std::size_t size) const;

  std::span<const std::uint8_t> bytes() const { return bytes_; }

 private:
  std::array<std::uint8_t, kWindowRecordSize> bytes_;
};

// A colour record (12 bytes at `offset` of the window record): its ARGB value.
std::uint32_t colour_record_at(const WindowRecord& record, std::size_t offset);

struct GraphicsDefinition {
  int mode = 0;
  WindowRecord record;
  std::int32_t flags = 0;  // GraphicsWindowFlags
  // Mode 1.
  Bytes page;
  Bytes options;
  int display_tag = 0;  // 10 or 4; 0 when none was sent
  Bytes display;
  Bytes extended;
  std::vector<Bytes> elements;  // each in the 192-byte form
  Bytes toolbar;                // items of kToolbarItemSize
  Bytes icons;                  // entries of kIconEntrySize
  Bytes icon_data;
  // Mode 5: what follows the record for the element operation.
  Bytes element_data;
};

struct DefinitionParse {
  std::optional<GraphicsDefinition> definition;
  // A field with another tag: the tag found and the one expected (message 10049).
  int found_tag = 0;
  int expected_tag = 0;
  std::string error;  // any other fault
};

DefinitionParse parse_graphics_definition(std::span<const std::uint8_t> payload,
                                          std::int32_t library_version);

// The icons of the definition's icon list, each entry decoded against the icon data as a
// screen definition's icon entries are. An entry whose data lies outside the data block is
// refused: it is left out and its fault appended to `refused`.
std::vector<protocol::HostIcon> definition_icons(const GraphicsDefinition& definition,
                                                 std::int32_t library_version,
                                                 std::vector<std::string>& refused);

// The toolbar items as menu item records. A toolbar item's slot is wider than a menu item
// record: its first 234 bytes are read as one (label, help text, icon name, function key, kind
// and state at their usual places) and the rest of the slot is not used.
std::vector<protocol::MenuItemRecord> definition_toolbar_records(
    const GraphicsDefinition& definition, std::int32_t library_version);

// The definition as a host sends it (the host side, for tools and tests): the mode, the record,
// the flags, and for mode 1 the page definition, options and display record (and, with
// `extended_settings`, the field of host libraries from 6.11.0), the elements, and the toolbar
// items and icon list when the window flags announce them.
Bytes build_graphics_definition(const GraphicsDefinition& definition, bool extended_settings);

// The reply: the mode, the record, the window flags, for mode 1 with a record kind other than
// 9 the display record again, and the geometry record when reply option 0x0040 is set.
Bytes build_definition_reply(const GraphicsDefinition& definition,
                             std::span<const std::uint8_t> geometry);

// The geometry record of a window's mapping.
struct WindowGeometry {
  int extra1 = 0, extra2 = 0;
  int device_width = 0, device_height = 0;
  int visible_x = 0, visible_y = 0, visible_width = 0, visible_height = 0;
  std::int32_t x_numerator = 0, x_denominator = 0, x_offset = 0;
  std::int32_t y_numerator = 0, y_denominator = 0, y_offset = 0;
};
std::array<std::uint8_t, kGeometryRecordSize> geometry_record(const WindowGeometry& g);

}  // namespace kovw::graphics
