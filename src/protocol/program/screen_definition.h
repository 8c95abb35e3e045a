#pragma once
// The screen definition of KWK_WINIT (also the payload of KWK_LINIT and KWK_DMINIT): screen
// mode and style, geometry, font, menu item records, the host's named icons in either of their
// two record forms, and the tail items that grow with the host library version.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/program/icon_records.h"
#include "protocol/program/menu_records.h"
#include "protocol/result.h"

namespace kovw::protocol {

// Style bits of the first item (above the screen mode in the low byte).
inline constexpr std::int32_t kStyleNoCaret = 1 << 8;
inline constexpr std::int32_t kStyleIconsFirstForm = 1 << 10;
inline constexpr std::int32_t kStyleIconsSecondForm = 1 << 14;
inline constexpr std::int32_t kStyleDeferredWindow = 1 << 15;
inline constexpr std::int32_t kStyleUtf8Title = 1 << 18;

// Icon record forms.
inline constexpr std::size_t kIconFirstFormSize = 808;  // name, 16-bit length, data at 34
inline constexpr std::size_t kIconSecondFormSize = kIconEntrySize;  // icon_records.h
inline constexpr std::size_t kIconFirstFormDataOffset = 34;

inline constexpr std::size_t kScreenOptionRecordSize = 224;

struct ScreenDefinition {
  std::int32_t mode_and_style = 0;
  std::int32_t width = 0, height = 0;
  std::int32_t x = 0, y = 0;
  std::int32_t font_size = 0;
  std::int32_t language_digit = 0;  // a character "1" to "9", read from host library 0x040607
  std::array<std::int32_t, 2> frame_values{};
  std::string font_name;  // host text
  std::string title;      // host text; UTF-8 with kStyleUtf8Title
  std::vector<MenuItemRecord> menu_items;
  std::vector<HostIcon> icons;  // from either icon record form
  std::array<char, 3> option_chars{' ', ' ', ' '};
  std::array<std::uint8_t, kScreenOptionRecordSize> screen_options{};
  std::optional<std::array<std::int32_t, 2>> icon_sizes;  // from 0x041E07
  std::string extended_options;                           // from 0x060B00

  int screen_mode() const { return mode_and_style & 0xff; }  // 1 to 5; else a text screen
  bool has_style(std::int32_t bit) const { return (mode_and_style & bit) != 0; }
  // The thread language the definition selects (1 to 9), or 0 when it selects none.
  int language() const;
  // The title as wide text.
  std::u16string wide_title() const;
};

// The screen option record hosts below 0x040505 get: zeros with byte 0 = 6 and byte 3 = 10.
std::array<std::uint8_t, kScreenOptionRecordSize> default_screen_options();

// Reads a screen definition sent by a host library of `host_version`. Menu and icon record
// counts, record sizes, data lengths and offsets are all checked against the payload.
Result<ScreenDefinition> parse_screen_definition(std::span<const std::uint8_t> payload,
                                                 std::int32_t host_version);

// Builds the payload as a host library of `host_version` sends it, for service/type
// KWD_WIN/KWK_WINIT, KWD_LIST/KWK_LINIT or KWD_DIMEN/KWK_DMINIT. The icons go into the form
// that the style bits name (the second form when both are set); icon data longer than a
// record of the first form holds is cut.
Outgoing build_screen_definition(const ScreenDefinition& screen, std::int32_t host_version,
                                 int service, int type);

}  // namespace kovw::protocol
