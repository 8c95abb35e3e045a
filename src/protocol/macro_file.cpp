#include "protocol/macro_file.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "net/link_names.h"
#include "protocol/little_endian.h"
#include "protocol/program/list_view_messages.h"

namespace kovw::protocol {

namespace {

// Bytes of data before the payload of an answer record: its message type and payload length.
constexpr std::size_t kAnswerPrefix = 8;
constexpr std::size_t kMenuDataSize = 4 + kMacroMenuTextSize + 9 * 4;

struct KindInfo {
  std::string_view tag;
  std::size_t limit;  // largest record length
  bool fixed;         // every record of the kind has exactly this length
};

constexpr std::size_t kAnswerBase = kMacroRecordHeaderSize + kAnswerPrefix;

constexpr KindInfo kKinds[kMacroKindCount] = {
    {"", kMacroRecordHeaderSize + kMacroCommentSize, true},
    {"<wdimen>", kMacroRecordHeaderSize + kMenuDataSize, true},
    {"", kAnswerBase + 4096, false},
    {"<DG17>", kAnswerBase + 4096, false},
    {"<ldialog>", kAnswerBase + 65536, false},
    {"<wm_get>", kAnswerBase + 1024, false},
    {"<wdialog>", kAnswerBase + 65536, false},
    {"<kgetdate>", kAnswerBase + 256, false},
    {"<wedit>", kAnswerBase + 65536, false},
    {"<kgetfname>", kAnswerBase + 2048, false},
    {"<wtast>", kAnswerBase + 16384, false},
    {"<kgetcol>", kAnswerBase + 256, false},
};

bool valid_kind(std::int32_t kind) {
  return kind >= 0 && kind < kMacroKindCount;
}

ParseFailure failure(ParseError code, std::string message) {
  return ParseFailure{code, "Makro-Datei: " + std::move(message)};
}

void put_padded(std::vector<std::uint8_t>& out, std::string_view text, std::size_t size, char pad) {
  const std::size_t n = std::min(text.size(), size);
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
  out.insert(out.end(), size - n, static_cast<std::uint8_t>(pad));
}

void append_le32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t b[4];
  put_le32(b, value);
  out.insert(out.end(), b, b + 4);
}

std::string trimmed_text(const std::uint8_t* p, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(p), size);
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

std::string_view macro_kind_tag(std::int32_t kind) {
  return valid_kind(kind) ? kKinds[kind].tag : std::string_view();
}

std::size_t macro_record_limit(std::int32_t kind) {
  return valid_kind(kind) ? kKinds[kind].limit : 0;
}

std::vector<std::uint8_t> macro_file_header() {
  std::vector<std::uint8_t> out;
  put_padded(out, kMacroFileHeader, kMacroFileHeaderSize, ' ');
  return out;
}

bool is_macro_file_header(std::span<const std::uint8_t> bytes) {
  const std::size_t n = std::strlen(kMacroFileHeader);
  return bytes.size() >= kMacroFileHeaderSize &&
         std::memcmp(bytes.data(), kMacroFileHeader, n) == 0;
}

std::vector<std::uint8_t> encode_macro_record(const MacroRecord& record) {
  std::vector<std::uint8_t> out;
  out.reserve(kMacroRecordHeaderSize + record.data.size());
  append_le32(out, static_cast<std::uint32_t>(kMacroRecordHeaderSize + record.data.size()));
  append_le32(out, static_cast<std::uint32_t>(record.kind));
  append_le32(out, static_cast<std::uint32_t>(record.wait_ms));
  put_padded(out, record.tag, kMacroTagSize, ' ');
  out.insert(out.end(), record.data.begin(), record.data.end());
  return out;
}

Result<MacroRecord> decode_macro_record(std::span<const std::uint8_t> bytes, std::size_t& used) {
  used = 0;
  if (bytes.size() < kMacroRecordHeaderSize)
    return failure(ParseError::kTruncated,
                   "Satzkopf unvollständig (" + std::to_string(bytes.size()) + " Bytes)");
  const std::uint32_t length = le32(bytes.data());
  const std::int32_t kind = static_cast<std::int32_t>(le32(bytes.data() + 4));
  if (!valid_kind(kind))
    return failure(ParseError::kMalformed, "unbekannte Satzart " + std::to_string(kind));
  const KindInfo& info = kKinds[kind];
  if (length < kMacroRecordHeaderSize || length > info.limit ||
      (info.fixed && length != info.limit))
    return failure(ParseError::kBadRecord, "Satzlänge " + std::to_string(length) +
                                               " ungültig für Satzart " + std::to_string(kind));
  if (length > bytes.size())
    return failure(ParseError::kTruncated, "Satz von " + std::to_string(length) + " Bytes, nur " +
                                               std::to_string(bytes.size()) + " vorhanden");
  MacroRecord record;
  record.kind = kind;
  record.wait_ms = static_cast<std::int32_t>(le32(bytes.data() + 8));
  if (record.wait_ms < 0)
    return failure(ParseError::kMalformed, "negative Wartezeit " + std::to_string(record.wait_ms));
  record.tag = trimmed_text(bytes.data() + 12, kMacroTagSize);
  record.data.assign(bytes.begin() + kMacroRecordHeaderSize, bytes.begin() + length);
  if (!info.fixed) {
    // An answer: its type, then a payload length that must name exactly the bytes that follow.
    if (record.data.size() < kAnswerPrefix)
      return failure(ParseError::kTruncated, "Antwortsatz ohne Länge");
    const std::uint32_t payload = le32(record.data.data() + 4);
    if (payload != record.data.size() - kAnswerPrefix)
      return failure(ParseError::kBadRecord, "Nutzdatenlänge " + std::to_string(payload) +
                                                 " passt nicht zur Satzlänge " +
                                                 std::to_string(length));
  }
  used = length;
  return record;
}

MacroFileContents decode_macro_file(std::span<const std::uint8_t> bytes) {
  MacroFileContents contents;
  if (!is_macro_file_header(bytes)) {
    contents.failure = failure(ParseError::kMalformed, "kein Makro-Dateikopf");
    return contents;
  }
  std::size_t at = kMacroFileHeaderSize;
  while (at < bytes.size()) {
    std::size_t used = 0;
    Result<MacroRecord> record = decode_macro_record(bytes.subspan(at), used);
    if (!record) {
      contents.failure = record.error();
      break;
    }
    contents.records.push_back(std::move(record).value());
    at += used;
  }
  return contents;
}

std::optional<std::int32_t> macro_kind_of_answer(int service, int type, bool answers_host_dialog) {
  switch (service) {
    case net::KWD_KOMM:
      if (type == net::KWK_KGETDATE) return kMacroDate;
      if (type == net::KWK_KGETFNAME) return kMacroFileName;
      if (type == net::KWK_KGETCOL) return kMacroColour;
      return std::nullopt;
    case net::KWD_DIGRA:
      if (type == net::KWK_GDIALOG)
        return answers_host_dialog ? kMacroDialog : kMacroGraphicsDialog;
      if (type == net::KWK_GGET) return kMacroWindowRequest;
      return std::nullopt;
    case net::KWD_WIN:
      if (type == net::KWK_WTAST) return kMacroKeys;
      if (type == net::KWK_WDIAC) return kMacroFieldDialog;
      if (type == net::KWK_WEDIT) return kMacroEdit;
      return std::nullopt;
    case net::KWD_LIST:
      if (type == net::KWK_LANTW) return kMacroMenu;
      if (type == net::KWK_LANTWDIA) return kMacroListDialog;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<MacroRecord> macro_record_of_answer(int service, int type,
                                                  std::span<const std::uint8_t> payload,
                                                  bool answers_host_dialog,
                                                  std::string_view window_name) {
  const std::optional<std::int32_t> kind = macro_kind_of_answer(service, type, answers_host_dialog);
  if (!kind) return std::nullopt;
  MacroRecord record;
  record.kind = *kind;
  record.tag = std::string(macro_kind_tag(*kind));
  if (*kind == kMacroMenu) {
    const Result<ListAnswer> answer = parse_lantw(payload);
    if (!answer) return std::nullopt;
    append_le32(record.data, static_cast<std::uint32_t>(answer->event));
    put_padded(record.data, std::string_view(answer->text).substr(0, kMacroMenuTextSize - 1),
               kMacroMenuTextSize, '\0');
    for (int i = 0; i < 9; ++i)
      append_le32(record.data, static_cast<std::uint32_t>(answer->values[i]));
    return record;
  }
  if (*kind == kMacroFieldDialog) {
    // The window's name (16 bytes), the message type (16 bits) and two blanks.
    std::vector<std::uint8_t> tag;
    put_padded(tag, window_name, 16, ' ');
    tag.push_back(static_cast<std::uint8_t>(type));
    tag.push_back(static_cast<std::uint8_t>(type >> 8));
    tag.push_back(' ');
    tag.push_back(' ');
    record.tag.assign(tag.begin(), tag.end());
  }
  if (kAnswerBase + payload.size() > macro_record_limit(*kind)) return std::nullopt;
  append_le32(record.data, static_cast<std::uint32_t>(type));
  append_le32(record.data, static_cast<std::uint32_t>(payload.size()));
  record.data.insert(record.data.end(), payload.begin(), payload.end());
  return record;
}

std::optional<Outgoing> macro_answer_of_record(const MacroRecord& record) {
  switch (record.kind) {
    case kMacroComment:
      return std::nullopt;
    case kMacroMenu: {
      if (record.data.size() != kMenuDataSize) return std::nullopt;
      ListAnswer answer;
      const std::uint8_t* p = record.data.data();
      answer.event = static_cast<std::int32_t>(le32(p));
      answer.text = trimmed_text(p + 4, kMacroMenuTextSize);
      for (int i = 0; i < 9; ++i)
        answer.values[i] = static_cast<std::int32_t>(le32(p + 4 + kMacroMenuTextSize + 4 * i));
      return build_lantw(answer);
    }
    default:
      break;
  }
  if (!valid_kind(record.kind) || record.data.size() < kAnswerPrefix) return std::nullopt;
  const std::uint32_t length = le32(record.data.data() + 4);
  if (length != record.data.size() - kAnswerPrefix) return std::nullopt;
  const int type = static_cast<int>(le32(record.data.data()));
  int service = -1;
  switch (record.kind) {
    case kMacroDate:
    case kMacroFileName:
    case kMacroColour:
      service = net::KWD_KOMM;
      break;
    case kMacroGraphicsDialog:
    case kMacroDialog:
    case kMacroWindowRequest:
      service = net::KWD_DIGRA;
      break;
    case kMacroListDialog:
      service = net::KWD_LIST;
      break;
    default:  // field dialog, edit field, keys
      service = net::KWD_WIN;
      break;
  }
  // The record must name an answer of its own kind: a file cannot send arbitrary messages.
  if (macro_kind_of_answer(service, type, record.kind == kMacroDialog) != record.kind)
    return std::nullopt;
  Outgoing out{service, type, {}};
  out.payload.assign(record.data.begin() + kAnswerPrefix, record.data.end());
  return out;
}

MacroRecord macro_comment(std::string_view title, std::string_view text) {
  MacroRecord record;
  record.kind = kMacroComment;
  record.tag = std::string(title.substr(0, kMacroTagSize));
  put_padded(record.data, text, kMacroCommentSize, ' ');
  return record;
}

std::optional<MacroWaitRule> parse_macro_wait_rule(std::string_view text) {
  MacroWaitRule rule;
  if (text.empty()) return rule;
  rule.mode = MacroWaitRule::Mode::Maximum;
  if (text.front() == '+') {
    rule.mode = MacroWaitRule::Mode::Fixed;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 3600000)
    return std::nullopt;
  rule.ms = value;
  return rule;
}

int macro_wait_ms(const MacroWaitRule& rule, int recorded_ms) {
  recorded_ms = std::max(recorded_ms, 0);
  switch (rule.mode) {
    case MacroWaitRule::Mode::Fixed:
      return rule.ms;
    case MacroWaitRule::Mode::Maximum:
      return std::min(rule.ms, recorded_ms);
    case MacroWaitRule::Mode::Recorded:
      break;
  }
  return recorded_ms;
}

}  // namespace kovw::protocol
