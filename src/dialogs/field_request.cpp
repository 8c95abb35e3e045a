#include "dialogs/field_request.h"

#include "protocol/little_endian.h"

#include <algorithm>
#include <cstring>

namespace kovw::dialogs {

namespace {

std::int16_t le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int16_t>(protocol::le16(bytes.data() + at));
}

}  // namespace

int FieldRequest::capacity() const {
  return std::clamp<int>(length, 0, kMaxFieldLength);
}

int FieldRequest::shown_width() const {
  return display_width > 0 ? std::min<int>(display_width, kMaxFieldLength) : capacity();
}

std::optional<FieldRequest> decode_field_request(std::span<const std::uint8_t> record) {
  if (record.size() < 20) return std::nullopt;
  FieldRequest request;
  request.field_kind = le16(record, 0);
  request.cursor = le16(record, 2);
  request.row = le16(record, 4);
  request.column = le16(record, 6);
  request.length = le16(record, 8);
  request.display_width = le16(record, 10);
  request.case_rule = record[12];
  request.full_width = record[13];
  request.hidden = record[14];
  request.stay_when_full = record[15];
  request.text_colour = record[16];
  request.back_colour = record[17];
  request.request_flags = record[18];
  request.type_letter = record[19];
  return request;
}

int field_classes(std::uint8_t letter) {
  static constexpr char kNumeric[] = "69ABDEFGHIKLMNPRSTUVhilmnprstuv";
  static constexpr char kText[] = "WXYZw";
  int classes = 0;
  if (letter != 0 && std::memchr(kNumeric, letter, sizeof kNumeric - 1)) classes |= kClassNumeric;
  if (letter != 0 && std::memchr(kText, letter, sizeof kText - 1)) classes |= kClassText;
  if (letter == 'D') classes |= kClassDate;
  if (letter == 'T') classes |= kClassTime;
  return classes;
}

std::uint32_t control_flags(const FieldRequest& request) {
  std::uint32_t flags = 0;
  if (request.hidden > 0) flags |= kFieldHidden;
  if (request.stay_when_full == 0) flags |= kFieldLeaveWhenFull;
  if (request.case_rule == 1) flags |= kFieldCapitals;
  if (request.case_rule == 2) flags |= kFieldWordCharacters;
  if (field_classes(request.type_letter) & kClassNumeric) flags |= kFieldCalculations;
  if (request.hidden == 4) flags |= kFieldHiddenPreset;
  if ((request.request_flags & kRequestUtf8) != 0 || request.type_letter == 'W')
    flags |= kFieldUtf8;
  return flags;
}

}  // namespace kovw::dialogs
