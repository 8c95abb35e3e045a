#pragma once
// Writing and reading message payloads field by field, for both links. PayloadWriter appends
// the field encodings of the link to a payload; PayloadReader reads them with every length
// checked against the bytes present and keeps the first error (sticky): once a field did not
// fit, every later read returns an empty value without touching the payload, so a parser reads
// all its fields and checks once. Nothing is ever read past the payload.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/fields.h"
#include "protocol/result.h"

namespace kovw::protocol {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kUnlimitedText = static_cast<std::size_t>(-1);

// Appends fields to the payload it is given.
class PayloadWriter {
 public:
  explicit PayloadWriter(Bytes& out) : out_(out) {}

  // An integer field of `width` bytes (4 unless stated).
  PayloadWriter& int_field(std::int64_t value, int width = 4);
  // A byte-string field holding `text` and its terminating zero byte.
  PayloadWriter& text(std::string_view text);
  // A byte-string field holding exactly these bytes.
  PayloadWriter& bytes(std::span<const std::uint8_t> data);
  PayloadWriter& bytes(std::string_view data);
  // A byte-string field of exactly `size` bytes: `data` cut or padded with zero bytes.
  PayloadWriter& padded_bytes(std::span<const std::uint8_t> data, std::size_t size);
  // A tagged field with tag number `tag` holding these bytes.
  PayloadWriter& tagged_bytes(std::span<const std::uint8_t> data, int tag);

 private:
  Bytes& out_;
};

class PayloadReader {
 public:
  // The two links report failures in their own words. With `message` (the program link) every
  // failure text starts with the message's name and quotes the field ("KWK_KDEL: item \"path\"
  // is missing"), and a required field missing at the end of the payload is reported by this
  // reader alone. Without it (the server link) the texts start with the field's name ("mode:
  // integer field runs past the payload"), and every field fault, a missing field included,
  // also passes through the field layer, which logs it.
  explicit PayloadReader(std::span<const std::uint8_t> payload, const char* message = nullptr)
      : at_(payload), message_(message) {}

  // Reads an integer field (up to 4 value bytes are significant; width 8 gives the low 32
  // bits). `what` names the field in the failure text.
  std::int32_t int_field(const char* what);
  // An optional trailing integer: read when more() holds, else nullopt. A field that is there
  // but broken is a kMalformed failure.
  std::optional<std::int32_t> optional_int_field(const char* what);
  // Reads an integer field of any width up to 8 as a signed 64-bit value.
  std::int64_t int64_field(const char* what);
  // Reads a text field: the bytes up to the first zero byte (all when there is none). More
  // than `max_text` text bytes is a kTextTooLong failure.
  std::string text(const char* what, std::size_t max_text = kUnlimitedText);
  // Reads a text field received into a buffer of `field_size` bytes: a field longer than that
  // (zero byte and anything after it included) is a kTextTooLong failure.
  std::string text_in_field(const char* what, std::size_t field_size);
  // Reads a byte-string field of at most `max_bytes` bytes, as a view into the payload.
  std::span<const std::uint8_t> bytes(const char* what, std::size_t max_bytes = SIZE_MAX);
  // Reads a byte-string field of exactly `length` bytes (too short is kTruncated, too long
  // kMalformed).
  Bytes exact_bytes(const char* what, std::size_t length);
  // Reads a byte-string field of at least `size` bytes; the view holds exactly `size`.
  std::span<const std::uint8_t> record(const char* what, std::size_t size);
  // Reads a byte-string field that holds `count` records of `size` bytes; the view holds
  // exactly count * size bytes. A count below 0 or beyond the field is kCountTooLarge.
  std::span<const std::uint8_t> records(const char* what, std::int64_t count, std::size_t size);

  std::size_t remaining() const { return at_.remaining(); }
  // The rule for optional trailing fields: another field is read while at least `at_least`
  // bytes remain (a field header unless stated) and nothing has failed.
  bool more(std::size_t at_least = 2) const { return ok() && remaining() >= at_least; }
  bool ok() const { return !failure_; }
  // The first failure (only when !ok()).
  const ParseFailure& failure() const { return *failure_; }
  // Records a failure found by the caller (the first failure is kept).
  void fail(ParseError code, const std::string& text);

  // The parser's result: the value, or the first failure.
  template <class T>
  Result<T> finish(T value) const {
    if (failure_) return *failure_;
    return Result<T>(std::move(value));
  }

 private:
  // The next byte-string field, or an empty view after recording why there is none.
  std::span<const std::uint8_t> field(const char* what, const char* kind);

  net::FieldCursor at_;
  const char* message_;
  std::optional<ParseFailure> failure_;
};

template <class T>
Result<T> finish(const PayloadReader& in, T value) {
  return in.finish(std::move(value));
}

// A copy of a field's bytes.
inline Bytes to_bytes(std::span<const std::uint8_t> view) {
  return Bytes(view.begin(), view.end());
}

// A text field's bytes up to the first zero byte (all when there is none).
std::string text_before_zero(std::span<const std::uint8_t> field);
// The same without a copy, for the text of `record` from `from` that ends at `end` at the latest
// (and never past the record): empty when `from` lies beyond.
std::string_view text_view(std::span<const std::uint8_t> record, std::size_t from, std::size_t end);

}  // namespace kovw::protocol
