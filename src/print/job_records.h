#pragma once
// The records of a print connection. The host sends print records: a 16-bit big-endian length
// that counts the whole record including itself, then the payload; a length below 3 is an
// empty record, which ends the job. The first record's payload is the job header. The
// workstation answers with status records of exactly 128 bytes.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kovw::print {

// Mode bits of the job header.
inline constexpr int kModeInteractive = 0x01;  // show a job window and message boxes
inline constexpr int kModeDirect = 0x02;       // the connection is a program link
inline constexpr int kModeSpoolBits = 0x01 | 0x08 | 0x10;

inline constexpr std::size_t kJobNameMax = 128;  // origin and printer, wide characters
inline constexpr std::size_t kFormatMax = 8;

struct JobHeader {
  int mode = 0;
  std::u16string origin;   // who sends the job
  std::u16string printer;  // "standard", "dialog" (any case) or a printer's name
  std::string format;      // "kovwp": the print language; anything else is raw data
  std::string second;      // kept with the job
  int dialog_owner = 0;    // not 0: the print dialog belongs to the program's window
  int program_value = 0;   // kept in the job's program state

  // Only the bits 0x01, 0x08 and 0x10: the data is spooled and printed when it ends.
  bool spooled() const { return (mode & ~kModeSpoolBits) == 0; }
  bool direct() const { return !spooled() && (mode & kModeDirect) != 0; }
  bool interactive() const { return (mode & kModeInteractive) != 0; }
  bool print_language() const;
  bool standard_printer() const;
  bool dialog_printer() const;
};

// The job header: zero-terminated 8-bit fields (mode, origin, printer, format, second field,
// two optional numbers, an ignored rest). A field that would begin at or past the end of the
// payload is absent (empty, numbers 0); a last field without its zero ends with the payload.
JobHeader parse_job_header(std::span<const std::uint8_t> payload);
// The payload of a job header with these fields (host text in the ANSI code page).
std::vector<std::uint8_t> build_job_header(int mode, std::string_view origin,
                                           std::string_view printer, std::string_view format,
                                           std::string_view second = {}, int dialog_owner = 0,
                                           int program_value = 0);

// The payload length of a print record from its two length bytes; -1 for an empty record.
int print_record_payload_length(std::uint8_t high, std::uint8_t low);
// A print record with `payload` (at most 65533 bytes).
std::vector<std::uint8_t> build_print_record(std::span<const std::uint8_t> payload);
// The empty record that ends a job.
std::vector<std::uint8_t> build_end_record();

// Status codes.
inline constexpr int kStatusFinished = 0;
inline constexpr int kStatusError = 1;
inline constexpr int kStatusAccepted = 2;

inline constexpr std::size_t kStatusRecordSize = 128;
inline constexpr std::size_t kStatusTextMax = 126;
using StatusRecord = std::array<std::uint8_t, kStatusRecordSize>;

// Byte 0 is '0' + code, bytes 1 to 126 the text (cut to 126 bytes), byte 127 is 0. A text
// given with an explicit length is padded with blanks, a plain text (up to its first zero)
// with zero bytes.
StatusRecord build_status_record(int code, std::string_view text, bool explicit_length);

struct StatusReport {
  int code = -1;     // -1 when byte 0 is not a status digit
  std::string text;  // without its padding
};
// Reads a status record (the host side, tests).
StatusReport parse_status_record(std::span<const std::uint8_t, kStatusRecordSize> record);

// The payload of the status that accepts a direct job: the accepted text, a zero byte, the
// version word (most significant byte first), the byte 1, and the computer name without
// trailing blanks followed by a zero byte.
std::string direct_accepted_text(std::string_view accepted, std::uint32_t version_word,
                                 std::string_view computer_name);

// A message-table text (UTF-8) as host text in the ANSI code page.
std::string host_status_text(std::string_view utf8);

}  // namespace kovw::print
