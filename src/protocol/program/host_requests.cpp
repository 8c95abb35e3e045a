#include "protocol/program/host_requests.h"

#include <algorithm>

#include "foundation/error_text.h"
#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/item_reader.h"

namespace kovw::protocol {

namespace {

constexpr std::string_view kEmptyMarker = "NULL";
constexpr std::string_view kFontListError = "Error building Fontlist";

void put_raw(Bytes& out, std::span<const std::uint8_t> data) {
  net::put_bytes_field(out, data.data(), data.size());
}
void put_raw(Bytes& out, std::string_view data) {
  net::put_bytes_field(out, data.data(), data.size());
}
// A record of exactly `size` bytes: shorter data is padded with zeros.
void put_record(Bytes& out, const Bytes& data, std::size_t size) {
  Bytes record(size, 0);
  std::copy_n(data.begin(), std::min(size, data.size()), record.begin());
  put_raw(out, record);
}
Bytes to_bytes(std::span<const std::uint8_t> view) {
  return Bytes(view.begin(), view.end());
}

}  // namespace

// --- clipboard ---

Outgoing build_ksetclip(const KSetClip& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KSETCLIP, {}};
  put_int(out.payload, message.format);
  put_int(out.payload, static_cast<std::int64_t>(message.text.size()));
  put_raw(out.payload, message.text);
  return out;
}

Result<KSetClip> parse_ksetclip(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KSETCLIP");
  KSetClip message;
  message.format = in.integer("format");
  const std::int32_t length = in.integer("length");
  message.text = to_bytes(in.records("text", length, 1));
  return in.finish(std::move(message));
}

Outgoing build_kgetclip(std::int32_t kind) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETCLIP, {}};
  put_int(out.payload, kind);
  return out;
}

Result<std::int32_t> parse_kgetclip(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETCLIP");
  const std::int32_t kind = in.integer("kind");
  return in.finish(kind);
}

Outgoing build_clip_answer(const ClipAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETCLIP, {}};
  put_int(out.payload, answer.kind);
  put_int(out.payload, static_cast<std::int64_t>(answer.data.size()));
  if (answer.data.empty())
    put_raw(out.payload, kEmptyMarker);
  else
    put_raw(out.payload, answer.data);
  return out;
}

Result<ClipAnswer> parse_clip_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETCLIP");
  ClipAnswer answer;
  answer.kind = in.integer("kind");
  const std::int32_t length = in.integer("length");
  const auto data = in.records("data", std::max<std::int32_t>(length, 0), 1);
  if (length > 0) answer.data = to_bytes(data);
  return in.finish(std::move(answer));
}

// --- date and colour ---

Outgoing build_kgetdate(const KGetDate& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETDATE, {}};
  put_int(out.payload, message.year);
  put_int(out.payload, message.month);
  put_int(out.payload, message.day);
  put_text(out.payload, message.title);
  return out;
}

Result<KGetDate> parse_kgetdate(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETDATE");
  KGetDate message;
  message.year = in.integer("year");
  message.month = in.integer("month");
  message.day = in.integer("day");
  message.title = in.text("title");
  return in.finish(std::move(message));
}

Outgoing build_date_answer(const DateAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETDATE, {}};
  put_int(out.payload, answer.year);
  put_int(out.payload, answer.month);
  put_int(out.payload, answer.day);
  put_int(out.payload, answer.result);
  return out;
}

Result<DateAnswer> parse_date_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETDATE");
  DateAnswer answer;
  answer.year = in.integer("year");
  answer.month = in.integer("month");
  answer.day = in.integer("day");
  answer.result = in.integer("result");
  return in.finish(answer);
}

Outgoing build_kgetcol(const Colour& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETCOL, {}};
  put_int(out.payload, message.red);
  put_int(out.payload, message.green);
  put_int(out.payload, message.blue);
  put_text(out.payload, "");
  return out;
}

Result<Colour> parse_kgetcol(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETCOL");
  Colour message;
  message.red = in.integer("red");
  message.green = in.integer("green");
  message.blue = in.integer("blue");
  // The trailing empty text is not needed; hosts that leave it out are served the same.
  return in.finish(message);
}

Outgoing build_colour_answer(const ColourAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETCOL, {}};
  put_int(out.payload, answer.colour.red);
  put_int(out.payload, answer.colour.green);
  put_int(out.payload, answer.colour.blue);
  put_int(out.payload, answer.result);
  return out;
}

Result<ColourAnswer> parse_colour_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETCOL");
  ColourAnswer answer;
  answer.colour.red = in.integer("red");
  answer.colour.green = in.integer("green");
  answer.colour.blue = in.integer("blue");
  answer.result = in.integer("result");
  return in.finish(answer);
}

// --- programs ---

Outgoing build_kskomm(const KExec& message, std::int32_t host_version) {
  Outgoing out{net::KWD_KOMM, net::KWK_KSKOMM, {}};
  put_text(out.payload, message.program);
  put_text(out.payload, message.arguments);
  if (host_version >= kVersionExecFlags) put_int(out.payload, message.flags);
  return out;
}

Result<KExec> parse_kskomm(std::span<const std::uint8_t> payload, std::int32_t host_version) {
  ItemReader in(payload, "KWK_KSKOMM");
  KExec message;
  message.program = in.text("program");
  message.arguments = in.text("arguments");
  if (host_version >= kVersionExecFlags) message.flags = in.optional_integer("flags").value_or(0);
  return in.finish(std::move(message));
}

Outgoing build_exec_answer(const ExecAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KSKOMM, {}};
  put_text(out.payload, answer.text);
  put_int(out.payload, answer.result > 60000 ? answer.result - 60000 : answer.result);
  return out;
}

Result<ExecAnswer> parse_exec_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KSKOMM");
  ExecAnswer answer;
  answer.text = in.text("result text");
  answer.result = in.integer("result");
  return in.finish(std::move(answer));
}

// --- file operations ---

bool is_file_operation(int type) {
  return type == net::KWK_KDEL || type == net::KWK_KWIPE || type == net::KWK_KMKDIR ||
         type == net::KWK_KRMDIR || type == net::KWK_KRMALL;
}

Outgoing build_file_operation(int type, const std::string& path) {
  Outgoing out{net::KWD_KOMM, type, {}};
  put_text(out.payload, path);
  return out;
}

Result<std::string> parse_file_operation(int type, std::span<const std::uint8_t> payload) {
  const char* name = net::type_name(net::KWD_KOMM, type);
  ItemReader in(payload, name ? name : "file operation");
  std::string path = in.text("path", kFilePathMax);
  return in.finish(std::move(path));
}

Outgoing build_file_answer(int type, std::int32_t error, bool german) {
  std::string text = foundation::error_text(error, german);
  if (error != 0) text = std::to_string(error) + " " + text;
  if (text.size() > kFileAnswerTextMax) text.resize(kFileAnswerTextMax);
  Outgoing out{net::KWD_KOMM, type, {}};
  put_text(out.payload, text);
  put_int(out.payload, error);
  return out;
}

Result<FileAnswer> parse_file_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "file answer");
  FileAnswer answer;
  answer.text = in.text("result text");
  answer.error = in.integer("error");
  return in.finish(std::move(answer));
}

// --- file selection ---

Outgoing build_kgetfname(const KGetFname& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETFNAME, {}};
  put_text(out.payload, message.start_path);
  put_text(out.payload, message.filter);
  put_int(out.payload, message.flags);
  put_text(out.payload, message.title);
  if (message.flags & kSelectPlacementFlag) {
    for (const std::int32_t v :
         {message.option, message.width, message.height, message.x, message.y})
      put_int(out.payload, v);
  }
  return out;
}

Result<KGetFname> parse_kgetfname(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETFNAME");
  KGetFname message;
  message.start_path = in.text("start path", kSelectStartPathMax);
  message.filter = in.text("filter", kSelectFilterMax);
  message.flags = in.integer("flags");
  message.title = in.text("title", kSelectTitleMax);
  if (message.flags & kSelectPlacementFlag) {
    message.option = in.integer("option");
    message.width = in.integer("width");
    message.height = in.integer("height");
    message.x = in.integer("x");
    message.y = in.integer("y");
  }
  return in.finish(std::move(message));
}

Outgoing build_fname_answer(const FnameAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETFNAME, {}};
  put_text(out.payload, answer.path);
  for (const std::int32_t v :
       {answer.result, answer.option, answer.width, answer.height, answer.x, answer.y})
    put_int(out.payload, v);
  return out;
}

Result<FnameAnswer> parse_fname_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETFNAME");
  FnameAnswer answer;
  answer.path = in.text("path");
  answer.result = in.integer("result");
  answer.option = in.integer("option");
  answer.width = in.integer("width");
  answer.height = in.integer("height");
  answer.x = in.integer("x");
  answer.y = in.integer("y");
  return in.finish(std::move(answer));
}

// --- file check ---

Outgoing build_kfilecheck(const std::string& path) {
  return build_file_operation(net::KWK_KFILECHECK, path);
}

Result<std::string> parse_kfilecheck(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KFILECHECK");
  std::string path = in.text("path", kFilePathMax);
  return in.finish(std::move(path));
}

Outgoing build_filecheck_answer(const FileCheckAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KFILECHECK, {}};
  put_int(out.payload, answer.error > foundation::kErrnoErrorBase
                           ? answer.error - foundation::kErrnoErrorBase
                           : answer.error);
  put_record(out.payload, answer.entry, kFileEntrySize);
  put_text(out.payload, answer.text);
  put_record(out.payload, answer.file_record, kFileRecordSize);
  return out;
}

Result<FileCheckAnswer> parse_filecheck_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KFILECHECK");
  FileCheckAnswer answer;
  answer.error = in.integer("error");
  answer.entry = to_bytes(in.record("file entry", kFileEntrySize));
  answer.text = in.text("error text");
  answer.file_record = to_bytes(in.record("file record", kFileRecordSize));
  return in.finish(std::move(answer));
}

// --- help ---

Outgoing build_khelp_request(const KHelpRequest& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KHELP_REQUEST, {}};
  put_int(out.payload, static_cast<std::int64_t>(message.entries.size()));
  put_text(out.payload, message.topic);
  put_text(out.payload, message.title);
  for (const std::string& entry : message.entries) put_text(out.payload, entry);
  return out;
}

Result<KHelpRequest> parse_khelp_request(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KHELP_REQUEST");
  KHelpRequest message;
  const std::int32_t count = in.integer("count");
  if (in.ok() && (count < 0 || count > kHelpEntriesMax))
    in.fail(ParseError::kCountTooLarge, std::to_string(count) + " entries, at most 10");
  message.topic = in.text("topic", kHelpTopicMax);
  message.title = in.text("title", kHelpTopicMax);
  for (std::int32_t i = 0; in.ok() && i < count; ++i)
    message.entries.push_back(in.text("entry", kHelpEntryMax));
  return in.finish(std::move(message));
}

// --- file browser entries ---

Outgoing build_kfppfad(const KFpPfad& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KFPPFAD, {}};
  put_int(out.payload, message.record_index);
  put_text(out.payload, "");
  put_int(out.payload, message.entry_count);
  return out;
}

Result<KFpPfad> parse_kfppfad(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KFPPFAD");
  KFpPfad message;
  message.record_index = in.integer("browser record index");
  in.bytes("unused text");
  message.entry_count = in.integer("entry count");
  if (in.ok() && message.entry_count < 0)
    in.fail(ParseError::kCountTooLarge, "negative entry count");
  return in.finish(message);
}

// --- printers ---

Outgoing build_kgetprinter(const std::string& printer, const std::string& option) {
  Outgoing out{net::KWD_KOMM, KWK_KGETPRINTER, {}};
  put_text(out.payload, printer);
  put_text(out.payload, option);
  return out;
}

Outgoing build_ksendprinter(const KPrinter& message) {
  Outgoing out{net::KWD_KOMM, KWK_KSENDPRINTER, {}};
  Bytes record(kPrinterRecordSize, 0);
  std::copy_n(message.record.begin(), std::min(kPrinterRecordSize, message.record.size()),
              record.begin());
  net::put_tagged_field(out.payload, record.data(), record.size(), kPrinterRecordTag);
  put_text(out.payload, message.path);
  put_text(out.payload, message.option);
  return out;
}

Result<KPrinter> parse_kgetprinter(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETPRINTER");
  KPrinter message;
  message.printer = in.text("printer");
  message.option = in.text("option");
  return in.finish(std::move(message));
}

Result<KPrinter> parse_ksendprinter(std::span<const std::uint8_t> payload) {
  KPrinter message;
  net::FieldCursor cursor(payload);
  message.record.assign(kPrinterRecordSize, 0);
  std::size_t length = 0;
  const long tag = net::get_tagged_field(cursor, message.record, &length, kPrinterRecordTag);
  if (cursor.failed || tag < 0 || length != kPrinterRecordSize)
    return ParseFailure{ParseError::kBadRecord, "KWK_KSENDPRINTER: no 512-byte printer record"};
  ItemReader in(payload.subspan(payload.size() - cursor.remaining()), "KWK_KSENDPRINTER");
  message.path = in.text("path");
  message.option = in.text("option");
  return in.finish(std::move(message));
}

Outgoing build_printer_answer(int type) {
  Outgoing out{net::KWD_KOMM, type, {}};
  put_int(out.payload, 1);
  put_text(out.payload,
           type == KWK_KSENDPRINTER ? "sendprinter not implemented" : "getprinter not implemented");
  return out;
}

Result<RetcText> parse_printer_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "printer answer");
  RetcText answer;
  answer.value = in.integer("value");
  answer.text = in.text("text");
  return in.finish(std::move(answer));
}

// --- fonts ---

Outgoing build_kfontlist(const KFontList& message) {
  Outgoing out{net::KWD_KOMM, KWK_KFONTLIST, {}};
  put_int(out.payload, message.flags);
  put_text(out.payload, message.pattern);
  if (message.flags & 1) put_int(out.payload, message.character_set);
  return out;
}

Result<KFontList> parse_kfontlist(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KFONTLIST");
  KFontList message;
  message.flags = in.integer("flags");
  message.pattern = in.text("font name pattern", kFontPatternMax);
  if (message.flags & 1) message.character_set = in.integer("character set");
  return in.finish(std::move(message));
}

Outgoing build_fontlist_answer(const FontListAnswer& answer) {
  Outgoing out{net::KWD_KOMM, KWK_KFONTLIST, {}};
  put_int(out.payload, answer.count);
  if (answer.count < 0)
    put_raw(out.payload, kFontListError);
  else if (answer.count == 0)
    put_raw(out.payload, kEmptyMarker);
  else
    put_record(out.payload, answer.records,
               static_cast<std::size_t>(answer.count) * kFontRecordSize);
  return out;
}

Result<FontListAnswer> parse_fontlist_answer(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KFONTLIST");
  FontListAnswer answer;
  answer.count = in.integer("count");
  if (answer.count > 0)
    answer.records = to_bytes(in.records("font records", answer.count, kFontRecordSize));
  else
    in.bytes("text");
  return in.finish(std::move(answer));
}

}  // namespace kovw::protocol
