#pragma once
// A text value with an upper length, held as a std::string: the paths of the settings record
// and the start options. Like FixedString, assignment never cuts silently: a text longer than
// the limit is refused and the value keeps its old contents. Unlike FixedString it has no
// fixed byte layout, so it costs only what the text needs.

#include <cstddef>
#include <string>
#include <string_view>

namespace kovw::foundation {

template <std::size_t N>
class BoundedString {
  static_assert(N >= 1, "the limit counts the terminating zero of the stored form");

 public:
  static constexpr std::size_t capacity = N - 1;  // characters at most

  BoundedString() = default;
  BoundedString(std::string_view text) { assign(text); }

  // Stores `text`; returns false (and keeps the old value) when it is longer than the limit.
  // A text is cut at its first zero byte, as the stored zero-terminated form would be.
  bool assign(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.size() > capacity) return false;
    text_.assign(text);
    return true;
  }

  void clear() { text_.clear(); }
  bool empty() const { return text_.empty(); }
  std::size_t size() const { return text_.size(); }
  std::string_view view() const { return text_; }
  const std::string& str() const { return text_; }
  const char* c_str() const { return text_.c_str(); }

  bool operator==(const BoundedString& other) const { return text_ == other.text_; }
  bool operator==(std::string_view other) const { return view() == other; }

 private:
  std::string text_;
};

}  // namespace kovw::foundation
