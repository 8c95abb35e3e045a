#pragma once
// Writing and reading server-link payloads field by field. PayloadWriter appends the field
// encodings of the link; PayloadReader reads them with every length checked against the bytes
// present and keeps the first error (sticky), so a parser reads all its fields and checks once.

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

class PayloadWriter {
 public:
  // An integer field of `width` bytes (4 unless stated).
  PayloadWriter& int_field(std::int64_t value, int width = 4);
  // A byte-string field holding `text` and its terminating zero byte.
  PayloadWriter& text(std::string_view text);
  // A byte-string field holding exactly these bytes.
  PayloadWriter& bytes(std::span<const std::uint8_t> data);
  PayloadWriter& bytes(std::string_view data);

  const Bytes& payload() const { return out_; }
  Bytes take() { return std::move(out_); }

 private:
  Bytes out_;
};

class PayloadReader {
 public:
  explicit PayloadReader(std::span<const std::uint8_t> payload) : at_(payload) {}

  // Reads an integer field (up to 4 value bytes are significant; width 8 gives the low 32
  // bits). `what` names the field in the failure text.
  std::int32_t int_field(const char* what);
  // Reads an integer field of any width up to 8 as a signed 64-bit value.
  std::int64_t int64_field(const char* what);
  // Reads a text field: the bytes up to the first zero byte (all when there is none). A field
  // longer than `max_bytes` (zero byte included) is an error.
  std::string text(const char* what, std::size_t max_bytes = SIZE_MAX);
  // Reads a byte-string field of exactly `length` bytes (error otherwise).
  Bytes exact_bytes(const char* what, std::size_t length);
  // Reads a byte-string field of at most `max_bytes` bytes.
  Bytes bytes(const char* what, std::size_t max_bytes = SIZE_MAX);

  std::size_t remaining() const { return at_.remaining(); }
  // The rule for optional trailing fields: another field is read while at least 3 bytes remain
  // and nothing has failed.
  bool more() const { return ok() && remaining() >= 3; }
  bool ok() const { return !failure_; }
  // The first failure (only when !ok()).
  const ParseFailure& failure() const { return *failure_; }
  // Records a failure found by the caller (the first failure is kept).
  void fail(ParseError code, std::string text);

 private:
  net::FieldCursor at_;
  std::optional<ParseFailure> failure_;
};

// The parser's result: the value, or the reader's first failure.
template <class T>
Result<T> finish(const PayloadReader& in, T value) {
  if (!in.ok()) return in.failure();
  return Result<T>(std::move(value));
}

}  // namespace kovw::protocol
