#pragma once
// Service KWD_WIN messages of the text screen window: raw texts (title, caption line, status),
// message boxes, input field and edit area requests with their answers, and key data.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kFieldTextMax = 1049;
inline constexpr std::size_t kFieldRequestSize = 20;
inline constexpr std::size_t kFieldReplySize = 12;
inline constexpr std::size_t kEditRequestMinSize = 28;  // up to and with edit_flags
inline constexpr std::size_t kEditReplySize = 40;
inline constexpr std::size_t kEditPointerRecordSize = 44;
inline constexpr std::int32_t kEditPointerKey = 224;
inline constexpr std::uint16_t kMouseKeyCodes[] = {0x165, 0x1CC};

// Raw zero-terminated texts: KWK_WTIT, KWK_WTOOL, KWK_STATUS, KWK_LCURSOR. The text ends at
// the first zero byte or at the end of the payload.
Outgoing build_raw_text(int service, int type, const std::string& text);
std::string parse_raw_text(std::span<const std::uint8_t> payload);

// KWK_WMELDE: message box. Flags bits 0-11 the box style, bit 12 asks for a Retc answer,
// bit 14 declares the text UTF-8.
inline constexpr std::int32_t kMeldeRetc = 1 << 12;
inline constexpr std::int32_t kMeldeUtf8 = 1 << 14;
inline constexpr std::int32_t kMeldePositive = 25;  // OK, Yes or Retry
inline constexpr std::int32_t kMeldeNegative = 1;
struct MessageBoxRequest {
  std::int32_t flags = 0;
  std::string text;
  std::u16string wide_text() const;
};
Outgoing build_wmelde(const MessageBoxRequest& message);
Result<MessageBoxRequest> parse_wmelde(std::span<const std::uint8_t> payload);
// The Retc answer 4/8 of a box with flag bit 12.
Outgoing build_wmelde_answer(bool positive);

// KWK_WDIAC request: the 20-byte field request, help text and contents (each at most 1049
// bytes).
struct FieldRequestMessage {
  Bytes descriptor;  // kFieldRequestSize bytes
  std::string help;
  std::string contents;
};
Outgoing build_wdiac(const FieldRequestMessage& message);
Result<FieldRequestMessage> parse_wdiac(std::span<const std::uint8_t> payload);

// KWK_WDIAC answer: the 12-byte reply record (16-bit little-endian members) and the contents.
struct FieldReply {
  std::int16_t exit_key = 0;
  std::int16_t cursor = 0;
  std::int16_t mouse_column = 0;
  std::int16_t mouse_row = 0;
  std::int16_t mouse_info = 0;
  std::string text;  // its length is the record's length member
};
Outgoing build_field_reply(const FieldReply& reply);
Result<FieldReply> parse_field_reply(std::span<const std::uint8_t> payload);

// KWK_WEDIT request: the edit request record (its 16-bit text capacity at offset 2), the help
// text (at most 1049 bytes) and the text (at most the capacity).
struct EditRequestMessage {
  Bytes descriptor;
  std::string help;
  Bytes text;
  std::uint16_t text_capacity() const;
};
Outgoing build_wedit(const EditRequestMessage& message);
Result<EditRequestMessage> parse_wedit(std::span<const std::uint8_t> payload);

// KWK_WEDIT answer: the 40-byte reply record, the text, the graphics window id (0 on a text
// screen) and, with exit key 224, the 44-byte pointer record.
struct EditReply {
  std::int16_t exit_key = 0;
  std::int16_t modified = 0;
  std::int32_t mouse_x = 0;
  std::int32_t mouse_y = 0;
  std::int16_t mouse_info = 0;
  Bytes text;  // its length is the record's text_length member
  std::int32_t object = 0;
  std::optional<Bytes> pointer_record;
};
Outgoing build_edit_reply(const EditReply& reply);
Result<EditReply> parse_edit_reply(std::span<const std::uint8_t> payload);

// Key data (KWK_WTAST, W->H): 16-bit big-endian key codes; a mouse or graphics event code is
// followed by three more 16-bit values. The builder writes the values an event carries; the code
// 0x01CC is also the plain host function key 204 (Ctrl+X), which carries none.
struct KeyEvent {
  std::uint16_t code = 0;
  std::optional<std::array<std::uint16_t, 3>> mouse;  // the event's three values
  bool operator==(const KeyEvent&) const = default;
};
bool is_mouse_key(std::uint16_t code);
Outgoing build_key_data(std::span<const KeyEvent> keys);
Result<std::vector<KeyEvent>> parse_key_data(std::span<const std::uint8_t> payload);

}  // namespace kovw::protocol
