#pragma once
// The result of decoding a message from a peer: the decoded value, or a failure that says what
// was wrong. Decoders read every item first and check once at the end, so a failure names the
// first item that did not fit. Both link catalogues (server link and program link) and the host
// search answers return this type.

#include <string>
#include <utility>
#include <variant>

namespace kovw::protocol {

enum class ParseError {
  kTruncated,      // a required item runs past the payload, is missing or is too short
  kMalformed,      // an item that is there but cannot be decoded or holds an invalid value
  kTextTooLong,    // a text or byte item longer than the field that receives it
  kCountTooLarge,  // a count or record size that the payload does not hold (or a negative one)
  kBadRecord,      // a record whose inner offsets or lengths leave the data it comes with
};

struct ParseFailure {
  ParseError code = ParseError::kMalformed;
  std::string message;  // for the log: which message and item, and why
};

template <class T>
class Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(ParseFailure failure) : state_(std::move(failure)) {}

  bool ok() const { return std::holds_alternative<T>(state_); }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<T>(state_); }
  const T& value() const& { return std::get<T>(state_); }
  T&& value() && { return std::get<T>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const ParseFailure& error() const { return std::get<ParseFailure>(state_); }

 private:
  std::variant<T, ParseFailure> state_;
};

}  // namespace kovw::protocol
