#include "print/print_report.h"

#include <cstdio>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"

namespace kovw::print {

std::string print_error_log_text(const PrintError& error) {
  char head[32];
  std::snprintf(head, sizeof head, "KOVWP(%d) ", error.location);
  std::string text = head + error.text;
  if (error.system_error >= 1 && error.system_error <= 9999999) {
    std::string system = foundation::error_text(error.system_error, foundation::german());
    if (system.empty()) system = foundation::message_text(40429);
    text += "\r\n" + std::to_string(error.system_error) + " " + system;
  }
  return text;
}

void report_print_error(const PrintError& error, bool interactive) {
  const std::string text = print_error_log_text(error);
  foundation::log_printf("%s", text.c_str());
  if (!interactive) return;
  // The box shows the text after "KOVWP(n)".
  const std::size_t blank = text.find(' ');
  const std::string shown = blank == std::string::npos ? text : text.substr(blank + 1);
  foundation::show_message(nullptr, foundation::kMsgUtf8, 0, "KOVW Print", "%s", shown.c_str());
}

}  // namespace kovw::print
