#include "print/print_errors.h"

#include <cstdarg>

#include "foundation/message_table.h"

namespace kovw::print {

std::string print_message(int number, ...) {
  va_list args;
  va_start(args, number);
  std::string text = foundation::message_text_vformat(number, args);
  va_end(args);
  return text;
}

}  // namespace kovw::print
