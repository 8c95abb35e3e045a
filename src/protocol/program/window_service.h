#pragma once
// Service KWD_DIGRA requests whose payload is items (key bar and context menu items, fonts,
// positions, input waits, capture data, video and speech, context menus) and the answers that
// are not graphics window replies. Window definitions and dialogs are read by their own
// parsers (graphics and dialog layers).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/program/menu_records.h"
#include "protocol/result.h"

namespace kovw::protocol {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kItemTextMax = 767;
inline constexpr std::size_t kItemTipMax = 255;
inline constexpr std::size_t kFontSlotNameMax = 767;
inline constexpr std::int32_t kFontSlots = 20;
inline constexpr std::size_t kVideoRequestSize = 804;
inline constexpr std::size_t kVideoAnswerSize = 544;
inline constexpr std::size_t kSpeechRequestSize = 28;
inline constexpr std::size_t kSpeechAnswerSize = 264;
inline constexpr std::size_t kWidthTableSize = 512;
// KWK_GGET / KWK_GGETEX: flag bit 16 set means no further items.
inline constexpr std::int32_t kGetNoTimeout = 1 << 16;

// KWK_GREFR: state of a key bar button or context menu item.
struct ItemState {
  std::int32_t item = 0;
  std::int32_t state = 0;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("item id", m.item);
    v.int_field("state", m.state);
  }
};
Outgoing build_grefr(const ItemState& message);
Result<ItemState> parse_grefr(std::span<const std::uint8_t> payload);

// KWK_GKTEXT: label and tip of an item.
struct ItemText {
  std::int32_t item = 0;
  std::string text;  // at most kItemTextMax bytes
  std::string tip;   // at most kItemTipMax bytes

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("item id", m.item);
    v.text("text", m.text, kItemTextMax);
    v.text("tip", m.tip, kItemTipMax);
  }
};
Outgoing build_gktext(const ItemText& message);
Result<ItemText> parse_gktext(std::span<const std::uint8_t> payload);

// KWK_GFONT and KWK_GSPEAK requests: font number, size and options.
struct FontRequest {
  std::int32_t font = 0;
  std::int32_t size = 0;
  std::int32_t options = 0;
};
Outgoing build_font_request(int type, const FontRequest& message);
Result<FontRequest> parse_font_request(std::span<const std::uint8_t> payload);

// "Send Font Info": metrics and name; for KWK_GFONT also the extended metrics, the two width
// tables and, from host library 0x060D02, the compressed glyph width table.
struct FontInfo {
  std::array<std::int32_t, 6> metrics{};
  std::string name;
  std::array<std::int32_t, 5> world_widths{};
  std::array<std::int32_t, 5> device_widths{};
  Bytes world_table;   // kWidthTableSize bytes
  Bytes device_table;  // kWidthTableSize bytes
  std::optional<Bytes> glyph_table;
};
Outgoing build_font_info(int type, const FontInfo& answer, std::int32_t host_version);
Result<FontInfo> parse_font_info(int type, std::span<const std::uint8_t> payload,
                                 std::int32_t host_version);

// KWK_GPOS: a value converted by mode; a second value from mode 3; the window id from
// 0x040002.
struct PositionRequest {
  std::int32_t value = 0;
  std::int32_t mode = 0;
  std::optional<std::int32_t> second;
  std::optional<std::int32_t> window;
};
Outgoing build_gpos(const PositionRequest& message, std::int32_t host_version);
Result<PositionRequest> parse_gpos(std::span<const std::uint8_t> payload,
                                   std::int32_t host_version);

// KWK_GGET (one optional time-out) and KWK_GGETEX (twelve optional values).
struct GetRequest {
  std::int32_t flags = 0;
  std::vector<std::int32_t> values;  // empty when flag bit 16 is set
};
Outgoing build_gget(int type, const GetRequest& message);
Result<GetRequest> parse_gget(int type, std::span<const std::uint8_t> payload);

// KWK_GDATA: raw 2-byte big-endian length, then that many bytes.
Outgoing build_gdata(std::span<const std::uint8_t> data);
Result<Bytes> parse_gdata(std::span<const std::uint8_t> payload);

// Messages of one integer item: KWK_GEND, KWK_CURSOR, KWK_GMARK, KWK_ACTKONTEXT of service
// KWD_DIMEN, KWK_WRETC, KWK_WKILLSAVE, KWK_CURSOR of service KWD_WIN.
Outgoing build_single_int(int service, int type, std::int32_t value);
Result<std::int32_t> parse_single_int(std::span<const std::uint8_t> payload);

// KWK_GVIDEO: the 804-byte request record; the answer is the 544-byte result record.
// KWK_GSPEECH: the 28-byte request record and the text; the answer is a 264-byte record.
struct SpeechRequest {
  Bytes record;  // kSpeechRequestSize bytes
  Bytes text;
};
Outgoing build_gvideo(std::span<const std::uint8_t> record);
Result<Bytes> parse_gvideo(std::span<const std::uint8_t> payload);
Outgoing build_gspeech(const SpeechRequest& message);
Result<SpeechRequest> parse_gspeech(std::span<const std::uint8_t> payload);
// The answer record of either; shorter records are padded with zeros.
Outgoing build_helper_answer(int type, std::span<const std::uint8_t> record);
Result<Bytes> parse_helper_answer(int type, std::span<const std::uint8_t> payload);

// KWK_CREAKONTEXT (services KWD_DIGRA and KWD_WIN): the context menu's item records.
Outgoing build_creakontext(int service, const std::vector<MenuItemRecord>& items);
Result<std::vector<MenuItemRecord>> parse_creakontext(std::span<const std::uint8_t> payload,
                                                      std::int32_t host_version);

// KWK_GFONTSLOT: a font name for one of the 20 font numbers (higher numbers are ignored by
// the receiver; the name is kept to its first 64 bytes there).
struct FontSlot {
  std::int32_t font = 0;
  std::string name;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("font number", m.font);
    v.text("font name", m.name, kFontSlotNameMax);
  }
};
Outgoing build_gfontslot(const FontSlot& message);
Result<FontSlot> parse_gfontslot(std::span<const std::uint8_t> payload);

// Empty messages: KWK_GCLOSE (W->H), KWK_GRES, KWK_GTLEN, KWK_GABORT, KWK_BEEP,
// KWK_ACTKONTEXT, KWK_WTAST, KWK_WTEST, KWK_WABBR, KWK_DMBEREIT, KWK_KGETWINID.
Outgoing build_empty(int service, int type);

}  // namespace kovw::protocol
