#pragma once
// A small expected-style result for parsers of peer bytes: the decoded value, or an error text
// that says which field was malformed. Parsers decode everything, then check once.

#include <string>
#include <utility>

namespace kovw::protocol {

template <class T>
struct Result {
  T value{};
  std::string error;  // empty on success

  bool ok() const { return error.empty(); }
  explicit operator bool() const { return ok(); }
  const T& operator*() const { return value; }
  T& operator*() { return value; }
  const T* operator->() const { return &value; }
  T* operator->() { return &value; }

  static Result failure(std::string text) {
    Result r;
    r.error = std::move(text);
    return r;
  }
};

}  // namespace kovw::protocol
