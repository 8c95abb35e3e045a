#include "print/job_records.h"

#include <strings.h>
#include <algorithm>
#include <cctype>

#include "foundation/host_text.h"

namespace kovw::print {

namespace {

// The field at `position` up to its zero byte or the payload's end; absent (nullopt-like
// empty with `present` false) when it would begin at or past the end.
struct Field {
  std::string_view text;
  bool present = false;
};

Field next_field(std::span<const std::uint8_t> payload, std::size_t& position) {
  if (position >= payload.size()) return {};
  const auto* begin = payload.data() + position;
  const auto* end = payload.data() + payload.size();
  const auto* zero = std::find(begin, end, std::uint8_t{0});
  Field field{{reinterpret_cast<const char*>(begin), static_cast<std::size_t>(zero - begin)}, true};
  position = static_cast<std::size_t>(zero - payload.data()) + 1;
  return field;
}

// A decimal number as the C library reads one: blanks, a sign, digits; 0 without digits.
int decimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = std::min<long long>(value * 10 + (text[i++] - '0'), 0x7FFFFFFF);
  }
  return static_cast<int>(negative ? -value : value);
}

std::u16string wide_name(std::string_view host) {
  std::u16string wide = foundation::host_to_wide(host);
  if (wide.size() > kJobNameMax) wide.resize(kJobNameMax);
  return wide;
}

bool equals_ignoring_case(std::u16string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c > 0x7F || std::tolower(static_cast<unsigned char>(c)) !=
                        std::tolower(static_cast<unsigned char>(word[i])))
      return false;
  }
  return true;
}

}  // namespace

bool JobHeader::print_language() const {
  return format.size() == 5 && ::strncasecmp(format.c_str(), "kovwp", 5) == 0;
}

bool JobHeader::standard_printer() const {
  return equals_ignoring_case(printer, "standard");
}

bool JobHeader::dialog_printer() const {
  return equals_ignoring_case(printer, "dialog");
}

JobHeader parse_job_header(std::span<const std::uint8_t> payload) {
  JobHeader header;
  std::size_t position = 0;
  header.mode = decimal(next_field(payload, position).text);
  header.origin = wide_name(next_field(payload, position).text);
  header.printer = wide_name(next_field(payload, position).text);
  header.format = std::string(next_field(payload, position).text.substr(0, kFormatMax));
  header.second = std::string(next_field(payload, position).text.substr(0, kFormatMax));
  header.dialog_owner = decimal(next_field(payload, position).text);
  header.program_value = decimal(next_field(payload, position).text);
  return header;
}

std::vector<std::uint8_t> build_job_header(int mode, std::string_view origin,
                                           std::string_view printer, std::string_view format,
                                           std::string_view second, int dialog_owner,
                                           int program_value) {
  std::vector<std::uint8_t> out;
  const auto field = [&out](std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
  };
  field(std::to_string(mode));
  field(origin);
  field(printer);
  field(format);
  field(second);
  field(std::to_string(dialog_owner));
  field(std::to_string(program_value));
  return out;
}

int print_record_payload_length(std::uint8_t high, std::uint8_t low) {
  const int length = high << 8 | low;
  return length < 3 ? -1 : length - 2;
}

std::vector<std::uint8_t> build_print_record(std::span<const std::uint8_t> payload) {
  const std::size_t n = std::min<std::size_t>(payload.size(), 0xFFFF - 2);
  std::vector<std::uint8_t> out;
  out.reserve(n + 2);
  out.push_back(static_cast<std::uint8_t>((n + 2) >> 8));
  out.push_back(static_cast<std::uint8_t>((n + 2) & 0xFF));
  out.insert(out.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
  return out;
}

std::vector<std::uint8_t> build_end_record() {
  return {0, 2};
}

StatusRecord build_status_record(int code, std::string_view text, bool explicit_length) {
  StatusRecord record{};
  record[0] = static_cast<std::uint8_t>('0' + code);
  if (!explicit_length) text = text.substr(0, std::min(text.find('\0'), text.size()));
  const std::size_t n = std::min(text.size(), kStatusTextMax);
  std::copy_n(text.begin(), n, record.begin() + 1);
  std::fill(record.begin() + 1 + static_cast<std::ptrdiff_t>(n), record.begin() + 127,
            explicit_length ? ' ' : 0);
  record[127] = 0;
  return record;
}

StatusReport parse_status_record(std::span<const std::uint8_t, kStatusRecordSize> record) {
  StatusReport report;
  if (record[0] >= '0' && record[0] <= '9') report.code = record[0] - '0';
  std::string text(reinterpret_cast<const char*>(record.data()) + 1, kStatusTextMax);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  report.text = std::move(text);
  return report;
}

std::string direct_accepted_text(std::string_view accepted, std::uint32_t version_word,
                                 std::string_view computer_name) {
  std::string text(accepted);
  text.push_back('\0');
  for (int shift = 24; shift >= 0; shift -= 8)
    text.push_back(static_cast<char>((version_word >> shift) & 0xFF));
  text.push_back('\1');
  while (!computer_name.empty() && computer_name.back() == ' ') computer_name.remove_suffix(1);
  text.append(computer_name);
  text.push_back('\0');
  return text;
}

std::string host_status_text(std::string_view utf8) {
  return foundation::wide_to_host(foundation::host_to_wide(utf8, foundation::kTextUtf8));
}

}  // namespace kovw::print
