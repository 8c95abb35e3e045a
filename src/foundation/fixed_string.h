#pragma once
// A zero-terminated 8-bit text field of a fixed size, as the settings and override records
// and the wire layouts hold them. Assignment never cuts silently: a text that does not fit
// is refused and the field keeps its old contents.

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace kovw::foundation {

template <std::size_t N>
class FixedString {
  static_assert(N >= 1, "a field holds at least the terminating zero");

public:
  static constexpr std::size_t capacity = N - 1;  // characters without the terminating zero

  FixedString() { bytes_.fill(0); }
  FixedString(std::string_view text) : FixedString() { assign(text); }

  // Stores `text`; returns false (and keeps the old value) when it is longer than the field.
  bool assign(std::string_view text) {
    if (text.size() > capacity) return false;
    bytes_.fill(0);
    std::memcpy(bytes_.data(), text.data(), text.size());
    return true;
  }

  void clear() { bytes_.fill(0); }
  bool empty() const { return bytes_[0] == 0; }
  std::size_t size() const { return ::strnlen(bytes_.data(), N); }
  std::string_view view() const { return std::string_view(bytes_.data(), size()); }
  std::string str() const { return std::string(view()); }
  const char* c_str() const { return bytes_.data(); }
  // The raw field, terminating zero and padding included, as it is stored.
  const std::array<char, N>& raw() const { return bytes_; }
  std::array<char, N>& raw() { return bytes_; }

  bool operator==(const FixedString& other) const { return view() == other.view(); }
  bool operator==(std::string_view other) const { return view() == other; }

private:
  std::array<char, N> bytes_;
};

}  // namespace kovw::foundation
