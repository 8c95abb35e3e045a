#pragma once
// A read position over bytes that came from a host: every read checks what is left first.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kovw::print {

class ByteCursor {
 public:
  ByteCursor() = default;
  explicit ByteCursor(std::span<const std::uint8_t> data) : data_(data) {}

  bool at_end() const { return position_ >= data_.size(); }
  std::size_t remaining() const { return data_.size() - position_; }
  std::size_t position() const { return position_; }
  // The next byte without taking it; only when !at_end().
  std::uint8_t peek() const { return data_[position_]; }
  // Takes the next byte; only when !at_end().
  std::uint8_t next() { return data_[position_++]; }
  // Takes up to `count` bytes: fewer when the data ends first.
  std::span<const std::uint8_t> take(std::size_t count) {
    const std::size_t n = std::min(count, remaining());
    const std::span<const std::uint8_t> piece = data_.subspan(position_, n);
    position_ += n;
    return piece;
  }
  void skip(std::size_t count) { position_ += std::min(count, remaining()); }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
};

}  // namespace kovw::print
