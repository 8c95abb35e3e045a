#pragma once
// Reads the items of a program-link payload with a sticky error: the first item that does not
// fit records a failure, every later read returns an empty value without touching the
// payload, and the decoder checks once at the end. Nothing is ever read past the payload.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "net/fields.h"
#include "protocol/result.h"

namespace kovw::protocol {

inline constexpr std::size_t kUnlimitedText = static_cast<std::size_t>(-1);

class ItemReader {
 public:
  // `message` names the message in failure texts ("KWK_KDEL").
  ItemReader(std::span<const std::uint8_t> payload, const char* message);

  // A required integer item of any width (the value of its last at most 4 bytes).
  std::int32_t integer(const char* item);
  // An optional tail integer: read when at least a field header remains, else nullopt. An
  // item that is there but broken is a failure.
  std::optional<std::int32_t> optional_integer(const char* item);
  // A required text item: the bytes of the field up to its first zero byte (the whole field
  // when it has none). More than `max_length` text bytes is a kTextTooLong failure.
  std::string text(const char* item, std::size_t max_length = kUnlimitedText);
  // A required byte-string item, as a view into the payload.
  std::span<const std::uint8_t> bytes(const char* item);
  // A required byte-string item of at least `size` bytes; the view holds exactly `size`.
  std::span<const std::uint8_t> record(const char* item, std::size_t size);
  // A required byte-string item that holds `count` records of `size` bytes; the view holds
  // exactly count * size bytes. A count below 0 or beyond the field is kCountTooLarge.
  std::span<const std::uint8_t> records(const char* item, std::int64_t count, std::size_t size);

  // True while nothing failed and at least a field header remains.
  bool more() const { return !failure_ && cursor_.remaining() >= 2; }
  std::size_t remaining() const { return cursor_.remaining(); }
  bool ok() const { return !failure_; }

  // Records a failure found by the decoder itself (the first failure wins).
  void fail(ParseError code, const std::string& detail);

  // The decoded value, or the first failure.
  template <class T>
  Result<T> finish(T value) const {
    if (failure_) return *failure_;
    return Result<T>(std::move(value));
  }
  const std::optional<ParseFailure>& failure() const { return failure_; }

 private:
  net::FieldCursor cursor_;
  const char* message_;
  std::optional<ParseFailure> failure_;
};

// A text item as host bytes up to the first zero byte.
std::string text_before_zero(std::span<const std::uint8_t> field);

}  // namespace kovw::protocol
