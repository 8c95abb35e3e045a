#pragma once
// Service KWD_KOMM requests that a host program makes of the workstation (clipboard, date and
// colour choice, starting programs, file operations, file selection, file check, help,
// printer and font information) and their answers. Text items have the field sizes that the
// workstation receives them into; a longer text fails with ParseError::kTextTooLong, and
// error_answers.h gives the answer the waiting host gets instead.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

using Bytes = std::vector<std::uint8_t>;

// Result codes of the choice dialogs.
inline constexpr std::int32_t kChoiceChosen = 2;
inline constexpr std::int32_t kChoiceCancelled = 25;

// Text limits (bytes before the terminating zero).
inline constexpr std::size_t kFilePathMax = 511;
inline constexpr std::size_t kSelectStartPathMax = 1047;
inline constexpr std::size_t kSelectFilterMax = 63;
inline constexpr std::size_t kSelectTitleMax = 2047;
inline constexpr std::size_t kFontPatternMax = 127;
inline constexpr std::size_t kHelpTopicMax = 32;
inline constexpr std::size_t kHelpEntryMax = 82;
inline constexpr std::int32_t kHelpEntriesMax = 10;
inline constexpr std::size_t kFileAnswerTextMax = 255;

// Record sizes.
inline constexpr std::size_t kFileEntrySize = 740;
inline constexpr std::size_t kFileRecordSize = 344;
inline constexpr std::size_t kPrinterRecordSize = 512;
inline constexpr int kPrinterRecordTag = 13;
inline constexpr std::size_t kFontRecordSize = 144;

// The messages below with a member template `fields` are described field by field
// (described_message.h); their builders and parsers follow from that description.

// KWK_KSETCLIP.
struct KSetClip {
  std::int32_t format = 0;
  Bytes text;
};
Outgoing build_ksetclip(const KSetClip& message);
Result<KSetClip> parse_ksetclip(std::span<const std::uint8_t> payload);

// KWK_KGETCLIP: the request carries a kind; the answer the kind (1 when clipboard text was
// taken), and the data (dropped file names or clipboard text). Empty data travels as length 0
// and the four bytes "NULL".
Outgoing build_kgetclip(std::int32_t kind);
Result<std::int32_t> parse_kgetclip(std::span<const std::uint8_t> payload);
struct ClipAnswer {
  std::int32_t kind = 0;
  Bytes data;
};
Outgoing build_clip_answer(const ClipAnswer& answer);
Result<ClipAnswer> parse_clip_answer(std::span<const std::uint8_t> payload);

// KWK_KGETDATE and its answer.
struct KGetDate {
  std::int32_t year = 0, month = 0, day = 0;
  std::string title;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("year", m.year);
    v.int_field("month", m.month);
    v.int_field("day", m.day);
    v.text("title", m.title);
  }
};
Outgoing build_kgetdate(const KGetDate& message);
Result<KGetDate> parse_kgetdate(std::span<const std::uint8_t> payload);
struct DateAnswer {
  std::int32_t year = 0, month = 0, day = 0;
  std::int32_t result = kChoiceCancelled;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("year", m.year);
    v.int_field("month", m.month);
    v.int_field("day", m.day);
    v.int_field("result", m.result);
  }
};
Outgoing build_date_answer(const DateAnswer& answer);
// The answer of a date question that was cancelled: the date asked with, and 25.
inline DateAnswer cancelled_date(const KGetDate& request) {
  return DateAnswer{request.year, request.month, request.day, kChoiceCancelled};
}
Result<DateAnswer> parse_date_answer(std::span<const std::uint8_t> payload);

// KWK_KGETCOL and its answer.
struct Colour {
  std::int32_t red = 0, green = 0, blue = 0;
};
Outgoing build_kgetcol(const Colour& message);
Result<Colour> parse_kgetcol(std::span<const std::uint8_t> payload);
struct ColourAnswer {
  Colour colour;
  std::int32_t result = kChoiceCancelled;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("red", m.colour.red);
    v.int_field("green", m.colour.green);
    v.int_field("blue", m.colour.blue);
    v.int_field("result", m.result);
  }
};
Outgoing build_colour_answer(const ColourAnswer& answer);
Result<ColourAnswer> parse_colour_answer(std::span<const std::uint8_t> payload);

// KWK_KSKOMM: start a program on the workstation. The flags item is read from host library
// 0x040709 (bit 0: wait for the program to end).
struct KExec {
  std::string program;
  std::string arguments;
  std::int32_t flags = 0;
};
Outgoing build_kskomm(const KExec& message, std::int32_t host_version);
Result<KExec> parse_kskomm(std::span<const std::uint8_t> payload, std::int32_t host_version);
struct ExecAnswer {
  std::string text;         // the error text of the result
  std::int32_t result = 0;  // results above 60000 are sent reduced by 60000
};
Outgoing build_exec_answer(const ExecAnswer& answer);
Result<ExecAnswer> parse_exec_answer(std::span<const std::uint8_t> payload);

// KWK_KDEL, KWK_KWIPE, KWK_KMKDIR, KWK_KRMDIR, KWK_KRMALL: one path; the answer of the same
// type carries a result text and the error (0 success).
bool is_file_operation(int type);
Outgoing build_file_operation(int type, const std::string& path);
Result<std::string> parse_file_operation(int type, std::span<const std::uint8_t> payload);
struct FileAnswer {
  std::string text;
  std::int32_t error = 0;
};
// The answer for `error`: on success the error text of code 0, on failure the error number in
// decimal, a blank and its error text; at most kFileAnswerTextMax bytes.
Outgoing build_file_answer(int type, std::int32_t error, bool german);
Result<FileAnswer> parse_file_answer(std::span<const std::uint8_t> payload);

// KWK_KGETFNAME: file or directory selection. Without flags bit 0x1000 the five placement
// values are not sent and read as -1.
inline constexpr std::int32_t kSelectPlacementFlag = 0x1000;
struct KGetFname {
  std::string start_path;
  std::string filter;
  std::int32_t flags = 0;
  std::string title;
  std::int32_t option = -1, width = -1, height = -1, x = -1, y = -1;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.text("start path", m.start_path, kSelectStartPathMax);
    v.text("filter", m.filter, kSelectFilterMax);
    v.int_field("flags", m.flags);
    v.text("title", m.title, kSelectTitleMax);
    if (m.flags & kSelectPlacementFlag) {
      v.int_field("option", m.option);
      v.int_field("width", m.width);
      v.int_field("height", m.height);
      v.int_field("x", m.x);
      v.int_field("y", m.y);
    }
  }
};
Outgoing build_kgetfname(const KGetFname& message);
Result<KGetFname> parse_kgetfname(std::span<const std::uint8_t> payload);
struct FnameAnswer {
  std::string path;
  std::int32_t result = kChoiceCancelled;
  std::int32_t option = -1, width = -1, height = -1, x = -1, y = -1;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.text("path", m.path);
    v.int_field("result", m.result);
    v.int_field("option", m.option);
    v.int_field("width", m.width);
    v.int_field("height", m.height);
    v.int_field("x", m.x);
    v.int_field("y", m.y);
  }
};
Outgoing build_fname_answer(const FnameAnswer& answer);
Result<FnameAnswer> parse_fname_answer(std::span<const std::uint8_t> payload);

// KWK_KFILECHECK: the request is one path (kFilePathMax); the answer carries the error (codes
// from 20001 are sent reduced by 20000), the 740-byte file entry, the error text and the
// 344-byte file record.
Outgoing build_kfilecheck(const std::string& path);
Result<std::string> parse_kfilecheck(std::span<const std::uint8_t> payload);
struct FileCheckAnswer {
  std::int32_t error = 0;
  Bytes entry;        // kFileEntrySize bytes (shorter is padded with zeros when built)
  std::string text;   // empty on success
  Bytes file_record;  // kFileRecordSize bytes
};
Outgoing build_filecheck_answer(const FileCheckAnswer& answer);
Result<FileCheckAnswer> parse_filecheck_answer(std::span<const std::uint8_t> payload);

// KWK_KHELP_REQUEST: read and checked, no answer.
struct KHelpRequest {
  std::string topic;
  std::string title;
  std::vector<std::string> entries;
};
Outgoing build_khelp_request(const KHelpRequest& message);
Result<KHelpRequest> parse_khelp_request(std::span<const std::uint8_t> payload);

// KWK_KFPPFAD outside a download: prepare directory entries in a file browser record.
struct KFpPfad {
  std::int32_t record_index = 0;
  std::int32_t entry_count = 0;
};
Outgoing build_kfppfad(const KFpPfad& message);
Result<KFpPfad> parse_kfppfad(std::span<const std::uint8_t> payload);

// KWK_KGETPRINTER and KWK_KSENDPRINTER: read, and always answered with 1 and their
// "not implemented" text.
struct KPrinter {
  Bytes record;         // KWK_KSENDPRINTER: the 512-byte printer record
  std::string path;     // KWK_KSENDPRINTER only
  std::string printer;  // KWK_KGETPRINTER only
  std::string option;
};
Outgoing build_kgetprinter(const std::string& printer, const std::string& option);
Outgoing build_ksendprinter(const KPrinter& message);
Result<KPrinter> parse_kgetprinter(std::span<const std::uint8_t> payload);
Result<KPrinter> parse_ksendprinter(std::span<const std::uint8_t> payload);
Outgoing build_printer_answer(int type);
struct RetcText {
  std::int32_t value = 0;
  std::string text;
};
Result<RetcText> parse_printer_answer(std::span<const std::uint8_t> payload);

// KWK_KFONTLIST: flags, pattern and (flags bit 0) the character set, else 1. The answer holds
// n font records of 144 bytes; n < 0 carries "Error building Fontlist", n = 0 "NULL".
struct KFontList {
  std::int32_t flags = 0;
  std::string pattern;
  std::int32_t character_set = 1;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("flags", m.flags);
    v.text("font name pattern", m.pattern, kFontPatternMax);
    if (m.flags & 1) v.int_field("character set", m.character_set);
  }
};
Outgoing build_kfontlist(const KFontList& message);
Result<KFontList> parse_kfontlist(std::span<const std::uint8_t> payload);
struct FontListAnswer {
  std::int32_t count = 0;  // negative: the list could not be built
  Bytes records;           // count * kFontRecordSize bytes
};
Outgoing build_fontlist_answer(const FontListAnswer& answer);
Result<FontListAnswer> parse_fontlist_answer(std::span<const std::uint8_t> payload);

}  // namespace kovw::protocol
