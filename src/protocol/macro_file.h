#pragma once
// The macro file (.mdx): what a program session answered its host program, with the time
// between the answers, so that a later run can give the same answers again. All numbers are
// little-endian.
//
//   file header: 32 bytes, kMacroFileHeader padded with blanks
//   record:      int32 length (header included), int32 kind, int32 wait in ms since the record
//                before (the first: since the file was opened), 20 bytes tag padded with blanks,
//                then the kind's data
//
// Data of the kinds: a comment holds 128 bytes of text padded with blanks; a menu selection
// (kind 1) holds int32 value, 24 bytes text (zero-padded) and nine int32 values; every other
// kind holds int32 message type, int32 payload length and the answer's payload exactly as it
// went to the host program. Each kind has a largest record length; a reader refuses a record
// shorter than its header, longer than its kind allows or longer than the bytes that follow.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

inline constexpr char kMacroFileHeader[] = "KOVW_MACRO_V07.00.00";
inline constexpr std::size_t kMacroFileHeaderSize = 32;
inline constexpr std::size_t kMacroRecordHeaderSize = 32;
inline constexpr std::size_t kMacroTagSize = 20;
inline constexpr std::size_t kMacroCommentSize = 128;
inline constexpr std::size_t kMacroMenuTextSize = 24;
inline constexpr std::size_t kMacroEditLimit = 1960;  // bytes of long edit-field contents

enum MacroKind : std::int32_t {
  kMacroComment = 0,
  kMacroMenu = 1,         // "<wdimen>": a menu (list) selection
  kMacroFieldDialog = 2,  // window name and type: a field dialog's answer
  kMacroGraphicsDialog = 3,
  kMacroListDialog = 4,
  kMacroWindowRequest = 5,
  kMacroDialog = 6,
  kMacroDate = 7,
  kMacroEdit = 8,
  kMacroFileName = 9,
  kMacroKeys = 10,
  kMacroColour = 11,
};
inline constexpr std::int32_t kMacroKindCount = 12;

// The tag text of a kind ("" for the comment and the field dialog, whose tags are their own).
std::string_view macro_kind_tag(std::int32_t kind);
// The largest record length of a kind (header included); 0 for an unknown kind.
std::size_t macro_record_limit(std::int32_t kind);

struct MacroRecord {
  std::int32_t kind = kMacroComment;
  std::int32_t wait_ms = 0;
  std::string tag;                 // at most 20 bytes; blanks at its end are not kept
  std::vector<std::uint8_t> data;  // the kind's data
  bool operator==(const MacroRecord&) const = default;
};

// The 32 bytes every macro file starts with.
std::vector<std::uint8_t> macro_file_header();
// True when `bytes` start with the header text (blank padding not checked beyond it).
bool is_macro_file_header(std::span<const std::uint8_t> bytes);

// The record as stored. A record longer than its kind allows is a bug of the caller: it is
// still written, and the reader will refuse it.
std::vector<std::uint8_t> encode_macro_record(const MacroRecord& record);

// Reads the record at the start of `bytes`; `used` receives its length. A record that the
// bytes do not hold completely, or whose length or kind is out of bounds, is a failure.
Result<MacroRecord> decode_macro_record(std::span<const std::uint8_t> bytes, std::size_t& used);

// Every record of a whole file (header included): the records up to the first fault, and the
// fault when there was one.
struct MacroFileContents {
  std::vector<MacroRecord> records;
  std::optional<ParseFailure> failure;
};
MacroFileContents decode_macro_file(std::span<const std::uint8_t> bytes);

// ---- Answers and records ---------------------------------------------------------------------

// The kind an answer to the host program is recorded as, or nullopt when it is not one of the
// user's answers. `answers_host_dialog` tells apart a host dialog's answer (kind 6) from a
// graphics dialog's (kind 3): both go to the host under the same service and type.
std::optional<std::int32_t> macro_kind_of_answer(int service, int type, bool answers_host_dialog);

// The record of an answer (wait 0): the kind's data and tag. `window_name` names the program's
// window in the tag of a field dialog. nullopt when the answer is not recorded or its payload
// does not fit the kind (a menu selection that cannot be decoded).
std::optional<MacroRecord> macro_record_of_answer(int service, int type,
                                                  std::span<const std::uint8_t> payload,
                                                  bool answers_host_dialog,
                                                  std::string_view window_name = {});

// The answer a record gives back: service, type and payload as they went to the host. nullopt
// for a comment and for data that does not hold an answer.
std::optional<Outgoing> macro_answer_of_record(const MacroRecord& record);

// A comment record with `text` (cut to 128 bytes).
MacroRecord macro_comment(std::string_view title, std::string_view text);

// ---- Waits -----------------------------------------------------------------------------------

// How playback times its records: the recorded waits, a fixed wait ("+n") or the recorded waits
// up to a maximum ("n").
struct MacroWaitRule {
  enum class Mode { Recorded, Fixed, Maximum } mode = Mode::Recorded;
  int ms = 0;
  bool operator==(const MacroWaitRule&) const = default;
};
// Parses "+n" or "n" (n decimal, 0 to 3600000); an empty text is the recorded waits.
std::optional<MacroWaitRule> parse_macro_wait_rule(std::string_view text);
// The wait before a record that was recorded `recorded_ms` after the one before.
int macro_wait_ms(const MacroWaitRule& rule, int recorded_ms);

}  // namespace kovw::protocol
