#pragma once
// Messages whose payload is a plain sequence of fields are described once: the message struct
// has a member template `fields(message, visitor)` that hands each field, in link order, to the
// visitor together with its name and limit. A later field may depend on an earlier one (a flag
// that announces a tail), since the description reads like the payload. The builder and the
// parser of such a message are derived from that one description, so they cannot disagree.
//
// Visitor operations:
//   int_field(name, value)                   an integer field of width 4
//   text(name, value, max_text)              a text; more than max_text bytes is an error
//   text_in_field(name, value, field_size)   a text received into a field of field_size bytes

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/outgoing.h"
#include "protocol/payload_codec.h"
#include "protocol/result.h"

namespace kovw::protocol {

// Writes the described fields of a message.
class FieldWriter {
 public:
  explicit FieldWriter(Bytes& out) : out_(out) {}
  void int_field(const char*, std::int32_t value) { out_.int_field(value); }
  void text(const char*, const std::string& value, std::size_t = kUnlimitedText) {
    out_.text(value);
  }
  void text_in_field(const char*, const std::string& value, std::size_t) { out_.text(value); }

 private:
  PayloadWriter out_;
};

// Reads the described fields of a message from a payload.
class FieldReader {
 public:
  explicit FieldReader(PayloadReader& in) : in_(in) {}
  void int_field(const char* name, std::int32_t& value) { value = in_.int_field(name); }
  void text(const char* name, std::string& value, std::size_t max_text = kUnlimitedText) {
    value = in_.text(name, max_text);
  }
  void text_in_field(const char* name, std::string& value, std::size_t field_size) {
    value = in_.text_in_field(name, field_size);
  }

 private:
  PayloadReader& in_;
};

// The message of `service` and `type` holding the described fields of `message`.
template <class M>
Outgoing build_described(int service, int type, const M& message) {
  Outgoing out{service, type, {}};
  FieldWriter writer(out.payload);
  M::fields(message, writer);
  return out;
}

// The described fields read from `payload`, or the first failure. `name` names the message in
// front of the failure text (none: the text starts with the field's name).
template <class M>
Result<M> parse_described(std::span<const std::uint8_t> payload, const char* name = nullptr) {
  PayloadReader in(payload, name);
  FieldReader reader(in);
  M message;
  M::fields(message, reader);
  return in.finish(std::move(message));
}

}  // namespace kovw::protocol
