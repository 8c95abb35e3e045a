#include "protocol/program/host_requests.h"

#include <algorithm>

#include "foundation/error_text.h"
#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/described_message.h"
#include "protocol/payload_codec.h"
#include "protocol/program/host_versions.h"

namespace kovw::protocol {

namespace {

constexpr std::string_view kEmptyMarker = "NULL";
constexpr std::string_view kFontListError = "Error building Fontlist";

}  // namespace

// --- clipboard ---

Outgoing build_ksetclip(const KSetClip& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KSETCLIP, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.format);
  write.int_field(static_cast<std::int64_t>(message.text.size()));
  write.bytes(message.text);
  return out;
}

Result<KSetClip> parse_ksetclip(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KSETCLIP");
  KSetClip message;
  message.format = in.int_field("format");
  const std::int32_t length = in.int_field("length");
  message.text = to_bytes(in.records("text", length, 1));
  return in.finish(std::move(message));
}

Outgoing build_kgetclip(std::int32_t kind) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETCLIP, {}};
  PayloadWriter write(out.payload);
  write.int_field(kind);
  return out;
}

Result<std::int32_t> parse_kgetclip(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KGETCLIP");
  const std::int32_t kind = in.int_field("kind");
  return in.finish(kind);
}

Outgoing build_clip_answer(const ClipAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETCLIP, {}};
  PayloadWriter write(out.payload);
  write.int_field(answer.kind);
  write.int_field(static_cast<std::int64_t>(answer.data.size()));
  if (answer.data.empty())
    write.bytes(kEmptyMarker);
  else
    write.bytes(answer.data);
  return out;
}

Result<ClipAnswer> parse_clip_answer(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KGETCLIP");
  ClipAnswer answer;
  answer.kind = in.int_field("kind");
  const std::int32_t length = in.int_field("length");
  const auto data = in.records("data", std::max<std::int32_t>(length, 0), 1);
  if (length > 0) answer.data = to_bytes(data);
  return in.finish(std::move(answer));
}

// --- date and colour ---

Outgoing build_kgetdate(const KGetDate& message) {
  return build_described(net::KWD_KOMM, net::KWK_KGETDATE, message);
}

Result<KGetDate> parse_kgetdate(std::span<const std::uint8_t> payload) {
  return parse_described<KGetDate>(payload, "KWK_KGETDATE");
}

Outgoing build_date_answer(const DateAnswer& answer) {
  return build_described(net::KWD_KOMM, net::KWK_KGETDATE, answer);
}

Result<DateAnswer> parse_date_answer(std::span<const std::uint8_t> payload) {
  return parse_described<DateAnswer>(payload, "KWK_KGETDATE");
}

Outgoing build_kgetcol(const Colour& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETCOL, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.red);
  write.int_field(message.green);
  write.int_field(message.blue);
  write.text("");
  return out;
}

Result<Colour> parse_kgetcol(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KGETCOL");
  Colour message;
  message.red = in.int_field("red");
  message.green = in.int_field("green");
  message.blue = in.int_field("blue");
  // The trailing empty text is not needed; hosts that leave it out are served the same.
  return in.finish(message);
}

Outgoing build_colour_answer(const ColourAnswer& answer) {
  return build_described(net::KWD_KOMM, net::KWK_KGETCOL, answer);
}

Result<ColourAnswer> parse_colour_answer(std::span<const std::uint8_t> payload) {
  return parse_described<ColourAnswer>(payload, "KWK_KGETCOL");
}

// --- programs ---

Outgoing build_kskomm(const KExec& message, std::int32_t host_version) {
  Outgoing out{net::KWD_KOMM, net::KWK_KSKOMM, {}};
  PayloadWriter write(out.payload);
  write.text(message.program);
  write.text(message.arguments);
  if (host_version >= kVersionExecFlags) write.int_field(message.flags);
  return out;
}

Result<KExec> parse_kskomm(std::span<const std::uint8_t> payload, std::int32_t host_version) {
  PayloadReader in(payload, "KWK_KSKOMM");
  KExec message;
  message.program = in.text("program");
  message.arguments = in.text("arguments");
  if (host_version >= kVersionExecFlags) message.flags = in.optional_int_field("flags").value_or(0);
  return in.finish(std::move(message));
}

Outgoing build_exec_answer(const ExecAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KSKOMM, {}};
  PayloadWriter write(out.payload);
  write.text(answer.text);
  write.int_field(answer.result > 60000 ? answer.result - 60000 : answer.result);
  return out;
}

Result<ExecAnswer> parse_exec_answer(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KSKOMM");
  ExecAnswer answer;
  answer.text = in.text("result text");
  answer.result = in.int_field("result");
  return in.finish(std::move(answer));
}

// --- file operations ---

bool is_file_operation(int type) {
  return type == net::KWK_KDEL || type == net::KWK_KWIPE || type == net::KWK_KMKDIR ||
         type == net::KWK_KRMDIR || type == net::KWK_KRMALL;
}

Outgoing build_file_operation(int type, const std::string& path) {
  Outgoing out{net::KWD_KOMM, type, {}};
  PayloadWriter write(out.payload);
  write.text(path);
  return out;
}

Result<std::string> parse_file_operation(int type, std::span<const std::uint8_t> payload) {
  const char* name = net::type_name(net::KWD_KOMM, type);
  PayloadReader in(payload, name ? name : "file operation");
  std::string path = in.text("path", kFilePathMax);
  return in.finish(std::move(path));
}

Outgoing build_file_answer(int type, std::int32_t error, bool german) {
  std::string text = foundation::error_text(error, german);
  if (error != 0) text = std::to_string(error) + " " + text;
  if (text.size() > kFileAnswerTextMax) text.resize(kFileAnswerTextMax);
  Outgoing out{net::KWD_KOMM, type, {}};
  PayloadWriter write(out.payload);
  write.text(text);
  write.int_field(error);
  return out;
}

Result<FileAnswer> parse_file_answer(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "file answer");
  FileAnswer answer;
  answer.text = in.text("result text");
  answer.error = in.int_field("error");
  return in.finish(std::move(answer));
}

// --- file selection ---

Outgoing build_kgetfname(const KGetFname& message) {
  return build_described(net::KWD_KOMM, net::KWK_KGETFNAME, message);
}

Result<KGetFname> parse_kgetfname(std::span<const std::uint8_t> payload) {
  return parse_described<KGetFname>(payload, "KWK_KGETFNAME");
}

Outgoing build_fname_answer(const FnameAnswer& answer) {
  return build_described(net::KWD_KOMM, net::KWK_KGETFNAME, answer);
}

Result<FnameAnswer> parse_fname_answer(std::span<const std::uint8_t> payload) {
  return parse_described<FnameAnswer>(payload, "KWK_KGETFNAME");
}

// --- file check ---

Outgoing build_kfilecheck(const std::string& path) {
  return build_file_operation(net::KWK_KFILECHECK, path);
}

Result<std::string> parse_kfilecheck(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KFILECHECK");
  std::string path = in.text("path", kFilePathMax);
  return in.finish(std::move(path));
}

Outgoing build_filecheck_answer(const FileCheckAnswer& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KFILECHECK, {}};
  PayloadWriter write(out.payload);
  write.int_field(answer.error > foundation::kErrnoErrorBase
                      ? answer.error - foundation::kErrnoErrorBase
                      : answer.error);
  write.padded_bytes(answer.entry, kFileEntrySize);
  write.text(answer.text);
  write.padded_bytes(answer.file_record, kFileRecordSize);
  return out;
}

Result<FileCheckAnswer> parse_filecheck_answer(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KFILECHECK");
  FileCheckAnswer answer;
  answer.error = in.int_field("error");
  answer.entry = to_bytes(in.record("file entry", kFileEntrySize));
  answer.text = in.text("error text");
  answer.file_record = to_bytes(in.record("file record", kFileRecordSize));
  return in.finish(std::move(answer));
}

// --- help ---

Outgoing build_khelp_request(const KHelpRequest& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KHELP_REQUEST, {}};
  PayloadWriter write(out.payload);
  write.int_field(static_cast<std::int64_t>(message.entries.size()));
  write.text(message.topic);
  write.text(message.title);
  for (const std::string& entry : message.entries) write.text(entry);
  return out;
}

Result<KHelpRequest> parse_khelp_request(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KHELP_REQUEST");
  KHelpRequest message;
  const std::int32_t count = in.int_field("count");
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
  PayloadWriter write(out.payload);
  write.int_field(message.record_index);
  write.text("");
  write.int_field(message.entry_count);
  return out;
}

Result<KFpPfad> parse_kfppfad(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KFPPFAD");
  KFpPfad message;
  message.record_index = in.int_field("browser record index");
  in.bytes("unused text");
  message.entry_count = in.int_field("entry count");
  if (in.ok() && message.entry_count < 0)
    in.fail(ParseError::kCountTooLarge, "negative entry count");
  return in.finish(message);
}

// --- printers ---

Outgoing build_kgetprinter(const std::string& printer, const std::string& option) {
  Outgoing out{net::KWD_KOMM, KWK_KGETPRINTER, {}};
  PayloadWriter write(out.payload);
  write.text(printer);
  write.text(option);
  return out;
}

Outgoing build_ksendprinter(const KPrinter& message) {
  Outgoing out{net::KWD_KOMM, KWK_KSENDPRINTER, {}};
  PayloadWriter write(out.payload);
  Bytes record(kPrinterRecordSize, 0);
  std::copy_n(message.record.begin(), std::min(kPrinterRecordSize, message.record.size()),
              record.begin());
  write.tagged_bytes(record, kPrinterRecordTag);
  write.text(message.path);
  write.text(message.option);
  return out;
}

Result<KPrinter> parse_kgetprinter(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KGETPRINTER");
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
  PayloadReader in(payload.subspan(payload.size() - cursor.remaining()), "KWK_KSENDPRINTER");
  message.path = in.text("path");
  message.option = in.text("option");
  return in.finish(std::move(message));
}

Outgoing build_printer_answer(int type) {
  Outgoing out{net::KWD_KOMM, type, {}};
  PayloadWriter write(out.payload);
  write.int_field(1);
  write.text(type == KWK_KSENDPRINTER ? "sendprinter not implemented"
                                      : "getprinter not implemented");
  return out;
}

Result<RetcText> parse_printer_answer(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "printer answer");
  RetcText answer;
  answer.value = in.int_field("value");
  answer.text = in.text("text");
  return in.finish(std::move(answer));
}

// --- fonts ---

Outgoing build_kfontlist(const KFontList& message) {
  return build_described(net::KWD_KOMM, KWK_KFONTLIST, message);
}

Result<KFontList> parse_kfontlist(std::span<const std::uint8_t> payload) {
  return parse_described<KFontList>(payload, "KWK_KFONTLIST");
}

Outgoing build_fontlist_answer(const FontListAnswer& answer) {
  Outgoing out{net::KWD_KOMM, KWK_KFONTLIST, {}};
  PayloadWriter write(out.payload);
  write.int_field(answer.count);
  if (answer.count < 0)
    write.bytes(kFontListError);
  else if (answer.count == 0)
    write.bytes(kEmptyMarker);
  else
    write.padded_bytes(answer.records, static_cast<std::size_t>(answer.count) * kFontRecordSize);
  return out;
}

Result<FontListAnswer> parse_fontlist_answer(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KFONTLIST");
  FontListAnswer answer;
  answer.count = in.int_field("count");
  if (answer.count > 0)
    answer.records = to_bytes(in.records("font records", answer.count, kFontRecordSize));
  else
    in.bytes("text");
  return in.finish(std::move(answer));
}

}  // namespace kovw::protocol
