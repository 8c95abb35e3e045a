#pragma once
// A host's request for a multi-line edit area over a text screen's cells (KWK_WEDIT): the
// request record (numbers little-endian), the text's line ends (CR LF on the wire, LF while it
// is edited) and the contents of the reply.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kovw::dialogs {

inline constexpr int kDefaultEditLength = 4000;
inline constexpr std::size_t kMaxEditReplyBytes = 0x7FFF;  // what the reply's length field holds

// Edit flags.
inline constexpr std::uint16_t kEditProgrammer = 0x0010;  // Enter keeps the indentation, tabs
                                                          // indent and outdent
inline constexpr std::uint16_t kEditUtf8 = 0x0040;

struct EditArea {
  std::uint16_t text_capacity = 0;
  int max_length = kDefaultEditLength;  // characters
  std::int32_t column = 0, row = 0, rows = 0, columns = 0;
  std::uint16_t edit_flags = 0;
};

// The record from its bytes; nothing when fewer than 28. A maximum length of 0 allows the
// default of 4000 characters.
std::optional<EditArea> decode_edit_request(std::span<const std::uint8_t> record);

// The host's text as it is edited: converted (UTF-8 or the program's `text_flags`), every line
// end (CR LF, a lone CR, a lone LF) one LF, at most `max_length` characters.
std::u16string edit_text_from_host(std::string_view text, const EditArea& area, int text_flags);

// The edited text for the reply: every LF a CR LF, converted back, never longer than the
// reply's length field holds (a character is never split).
std::string edit_text_to_host(std::u16string_view text, const EditArea& area, int text_flags);

}  // namespace kovw::dialogs
