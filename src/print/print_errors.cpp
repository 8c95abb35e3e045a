#include "print/print_errors.h"

#include <cstdarg>
#include <cstdio>

#include "foundation/message_table.h"

namespace kovw::print {

std::string print_message(int number, ...) {
  const char* format = foundation::message_text(number);
  va_list args;
  va_start(args, number);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  va_end(args);
  return text;
}

}  // namespace kovw::print
