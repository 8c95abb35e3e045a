#include "protocol/payload_codec.h"

#include <algorithm>
#include <cstring>

namespace kovw::protocol {

PayloadWriter& PayloadWriter::int_field(std::int64_t value, int width) {
  net::put_int_field(out_, value, width);
  return *this;
}

PayloadWriter& PayloadWriter::text(std::string_view text) {
  std::vector<std::uint8_t> field(text.begin(), text.end());
  field.push_back(0);
  net::put_bytes_field(out_, field.data(), field.size());
  return *this;
}

PayloadWriter& PayloadWriter::bytes(std::span<const std::uint8_t> data) {
  net::put_bytes_field(out_, data.data(), data.size());
  return *this;
}

PayloadWriter& PayloadWriter::bytes(std::string_view data) {
  net::put_bytes_field(out_, data.data(), data.size());
  return *this;
}

PayloadWriter& PayloadWriter::padded_bytes(std::span<const std::uint8_t> data, std::size_t size) {
  Bytes record(size, 0);
  std::copy_n(data.begin(), std::min(size, data.size()), record.begin());
  return bytes(record);
}

PayloadWriter& PayloadWriter::tagged_bytes(std::span<const std::uint8_t> data, int tag) {
  net::put_tagged_field(out_, data.data(), data.size(), tag);
  return *this;
}

void PayloadReader::fail(ParseError code, const std::string& text) {
  if (failure_) return;
  failure_ = ParseFailure{code, message_ ? std::string(message_) + ": " + text : text};
}

std::int32_t PayloadReader::int_field(const char* what) {
  if (!ok()) return 0;
  if (message_ && at_.at_end()) {
    fail(ParseError::kTruncated, std::string("item \"") + what + "\" is missing");
    return 0;
  }
  const std::int32_t value = net::get_int_field(at_);
  if (at_.failed) {
    fail(ParseError::kTruncated, message_
                                     ? std::string("integer \"") + what + "\" runs past the payload"
                                     : std::string(what) + ": integer field runs past the payload");
    return 0;
  }
  return value;
}

std::optional<std::int32_t> PayloadReader::optional_int_field(const char* what) {
  if (!more()) return std::nullopt;
  const std::int32_t value = net::get_int_field(at_);
  if (at_.failed) {
    fail(ParseError::kMalformed, std::string("optional integer \"") + what + "\" is broken");
    return std::nullopt;
  }
  return value;
}

std::int64_t PayloadReader::int64_field(const char* what) {
  if (!ok()) return 0;
  const std::uint8_t* p = at_.position;
  const std::uint8_t* end = at_.end;
  auto broken = [&]() {
    fail(ParseError::kTruncated, std::string(what) + ": integer field runs past the payload");
    return std::int64_t{0};
  };
  if (p < end && (p[0] & 0x80) != 0) {  // a tag word in front
    if (end - p < 2 || (p[0] & 0x40) != 0) return broken();
    p += 2;
  }
  if (end - p < 2) return broken();
  const std::size_t width = ((std::size_t{p[0]} << 8) | p[1]) & 0x3fff;
  p += 2;
  if (width > static_cast<std::size_t>(end - p)) return broken();
  if (width > 8) {
    fail(ParseError::kMalformed, std::string(what) + ": integer field wider than 8 bytes");
    return 0;
  }
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = (value << 8) | p[i];
  if (width > 0 && width < 8 && (p[0] & 0x80) != 0) value |= ~std::uint64_t{0} << (8 * width);
  at_.position = p + width;
  return static_cast<std::int64_t>(value);
}

std::span<const std::uint8_t> PayloadReader::field(const char* what, const char* kind) {
  if (!ok()) return {};
  if (message_ && at_.at_end()) {
    fail(ParseError::kTruncated, std::string("item \"") + what + "\" is missing");
    return {};
  }
  const auto view = net::get_bytes_view(at_);
  if (at_.failed) {
    fail(ParseError::kTruncated,
         message_ ? std::string("field \"") + what + "\" runs past the payload"
                  : std::string(what) + ": " + kind + " field runs past the payload");
    return {};
  }
  return view;
}

std::string_view text_view(std::span<const std::uint8_t> record, std::size_t from,
                           std::size_t end) {
  end = std::min(end, record.size());
  if (from >= end) return {};
  const auto* begin = reinterpret_cast<const char*>(record.data() + from);
  const std::size_t room = end - from;
  const void* zero = std::memchr(begin, 0, room);
  return {begin, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : room};
}

std::string text_before_zero(std::span<const std::uint8_t> field) {
  const void* zero = field.empty() ? nullptr : std::memchr(field.data(), 0, field.size());
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - field.data())
           : field.size();
  return std::string(reinterpret_cast<const char*>(field.data()), length);
}

std::string PayloadReader::text(const char* what, std::size_t max_text) {
  const auto view = field(what, "text");
  if (!ok()) return {};
  std::string text = text_before_zero(view);
  if (text.size() > max_text) {
    fail(ParseError::kTextTooLong, "text \"" + std::string(what) + "\" has " +
                                       std::to_string(text.size()) + " bytes, at most " +
                                       std::to_string(max_text) + " fit");
    return {};
  }
  return text;
}

std::string PayloadReader::text_in_field(const char* what, std::size_t field_size) {
  const auto view = field(what, "text");
  if (!ok()) return {};
  if (view.size() > field_size) {
    fail(ParseError::kTextTooLong,
         std::string(what) + ": text longer than " + std::to_string(field_size) + " bytes");
    return {};
  }
  return text_before_zero(view);
}

std::span<const std::uint8_t> PayloadReader::bytes(const char* what, std::size_t max_bytes) {
  const auto view = field(what, "byte");
  if (!ok()) return {};
  if (view.size() > max_bytes) {
    fail(ParseError::kTextTooLong,
         std::string(what) + ": longer than " + std::to_string(max_bytes) + " bytes");
    return {};
  }
  return view;
}

Bytes PayloadReader::exact_bytes(const char* what, std::size_t length) {
  const auto view = field(what, "byte");
  if (!ok()) return {};
  if (view.size() != length) {
    fail(view.size() < length ? ParseError::kTruncated : ParseError::kMalformed,
         std::string(what) + ": " + std::to_string(view.size()) + " bytes instead of " +
             std::to_string(length));
    return {};
  }
  return Bytes(view.begin(), view.end());
}

std::span<const std::uint8_t> PayloadReader::record(const char* what, std::size_t size) {
  const auto view = field(what, "byte");
  if (!ok()) return {};
  if (view.size() < size) {
    fail(ParseError::kTruncated, "record \"" + std::string(what) + "\" has " +
                                     std::to_string(view.size()) + " bytes, " +
                                     std::to_string(size) + " expected");
    return {};
  }
  return view.first(size);
}

std::span<const std::uint8_t> PayloadReader::records(const char* what, std::int64_t count,
                                                     std::size_t size) {
  const auto view = field(what, "byte");
  if (!ok()) return {};
  if (count < 0 || (size != 0 && static_cast<std::uint64_t>(count) > view.size() / size)) {
    fail(ParseError::kCountTooLarge, std::to_string(count) + " records of " + std::to_string(size) +
                                         " bytes do not fit into \"" + what + "\" (" +
                                         std::to_string(view.size()) + " bytes)");
    return {};
  }
  return view.first(static_cast<std::size_t>(count) * size);
}

}  // namespace kovw::protocol
