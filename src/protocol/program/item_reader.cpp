#include "protocol/program/item_reader.h"

#include <cstring>

namespace kovw::protocol {

ItemReader::ItemReader(std::span<const std::uint8_t> payload, const char* message)
    : cursor_(payload), message_(message) {}

void ItemReader::fail(ParseError code, const std::string& detail) {
  if (failure_) return;
  failure_ = ParseFailure{code, std::string(message_) + ": " + detail};
}

std::int32_t ItemReader::integer(const char* item) {
  if (failure_) return 0;
  if (cursor_.at_end()) {
    fail(ParseError::kTruncated, std::string("item \"") + item + "\" is missing");
    return 0;
  }
  const std::int32_t value = net::get_int_field(cursor_);
  if (cursor_.failed) {
    fail(ParseError::kTruncated, std::string("integer \"") + item + "\" runs past the payload");
    return 0;
  }
  return value;
}

std::optional<std::int32_t> ItemReader::optional_integer(const char* item) {
  if (!more()) return std::nullopt;
  const std::int32_t value = net::get_int_field(cursor_);
  if (cursor_.failed) {
    fail(ParseError::kMalformed, std::string("optional integer \"") + item + "\" is broken");
    return std::nullopt;
  }
  return value;
}

std::span<const std::uint8_t> ItemReader::bytes(const char* item) {
  if (failure_) return {};
  if (cursor_.at_end()) {
    fail(ParseError::kTruncated, std::string("item \"") + item + "\" is missing");
    return {};
  }
  const std::span<const std::uint8_t> view = net::get_bytes_view(cursor_);
  if (cursor_.failed) {
    fail(ParseError::kTruncated, std::string("field \"") + item + "\" runs past the payload");
    return {};
  }
  return view;
}

std::string text_before_zero(std::span<const std::uint8_t> field) {
  const void* zero = field.empty() ? nullptr : std::memchr(field.data(), 0, field.size());
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - field.data())
           : field.size();
  return std::string(reinterpret_cast<const char*>(field.data()), length);
}

std::string ItemReader::text(const char* item, std::size_t max_length) {
  const std::span<const std::uint8_t> field = bytes(item);
  if (failure_) return {};
  std::string text = text_before_zero(field);
  if (text.size() > max_length) {
    fail(ParseError::kTextTooLong, "text \"" + std::string(item) + "\" has " +
                                       std::to_string(text.size()) + " bytes, at most " +
                                       std::to_string(max_length) + " fit");
    return {};
  }
  return text;
}

std::span<const std::uint8_t> ItemReader::record(const char* item, std::size_t size) {
  const std::span<const std::uint8_t> field = bytes(item);
  if (failure_) return {};
  if (field.size() < size) {
    fail(ParseError::kTruncated, "record \"" + std::string(item) + "\" has " +
                                     std::to_string(field.size()) + " bytes, " +
                                     std::to_string(size) + " expected");
    return {};
  }
  return field.first(size);
}

std::span<const std::uint8_t> ItemReader::records(const char* item, std::int64_t count,
                                                  std::size_t size) {
  const std::span<const std::uint8_t> field = bytes(item);
  if (failure_) return {};
  if (count < 0 || (size != 0 && static_cast<std::uint64_t>(count) > field.size() / size)) {
    fail(ParseError::kCountTooLarge, std::to_string(count) + " records of " + std::to_string(size) +
                                         " bytes do not fit into \"" + item + "\" (" +
                                         std::to_string(field.size()) + " bytes)");
    return {};
  }
  return field.first(static_cast<std::size_t>(count) * size);
}

}  // namespace kovw::protocol
