#include "protocol/payload_codec.h"

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

void PayloadReader::fail(ParseError code, std::string text) {
  if (!failure_) failure_ = ParseFailure{code, std::move(text)};
}

std::int32_t PayloadReader::int_field(const char* what) {
  if (!ok()) return 0;
  const std::int32_t value = net::get_int_field(at_);
  if (at_.failed)
    fail(ParseError::kTruncated, std::string(what) + ": integer field runs past the payload");
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

std::string PayloadReader::text(const char* what, std::size_t max_bytes) {
  if (!ok()) return {};
  const auto view = net::get_bytes_view(at_);
  if (at_.failed) {
    fail(ParseError::kTruncated, std::string(what) + ": text field runs past the payload");
    return {};
  }
  if (view.size() > max_bytes) {
    fail(ParseError::kTextTooLong,
         std::string(what) + ": text longer than " + std::to_string(max_bytes) + " bytes");
    return {};
  }
  const void* zero = view.empty() ? nullptr : std::memchr(view.data(), 0, view.size());
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - view.data())
           : view.size();
  return std::string(reinterpret_cast<const char*>(view.data()), length);
}

Bytes PayloadReader::exact_bytes(const char* what, std::size_t length) {
  if (!ok()) return {};
  const auto view = net::get_bytes_view(at_);
  if (at_.failed) {
    fail(ParseError::kTruncated, std::string(what) + ": byte field runs past the payload");
    return {};
  }
  if (view.size() != length) {
    fail(view.size() < length ? ParseError::kTruncated : ParseError::kMalformed,
         std::string(what) + ": " + std::to_string(view.size()) + " bytes instead of " +
             std::to_string(length));
    return {};
  }
  return Bytes(view.begin(), view.end());
}

Bytes PayloadReader::bytes(const char* what, std::size_t max_bytes) {
  if (!ok()) return {};
  const auto view = net::get_bytes_view(at_);
  if (at_.failed) {
    fail(ParseError::kTruncated, std::string(what) + ": byte field runs past the payload");
    return {};
  }
  if (view.size() > max_bytes) {
    fail(ParseError::kTextTooLong,
         std::string(what) + ": longer than " + std::to_string(max_bytes) + " bytes");
    return {};
  }
  return Bytes(view.begin(), view.end());
}

}  // namespace kovw::protocol
