#include "net/last_socket_error.h"

#include "foundation/error_text.h"
#include "foundation/message_table.h"
#include "net/socket_errors.h"

namespace kovw::net {

namespace {
thread_local int t_last_socket_error = 0;
}  // namespace

int last_socket_error() {
  return t_last_socket_error;
}

void set_last_socket_error(int code) {
  t_last_socket_error = code;
}

int set_last_socket_error_from_errno(int errno_value) {
  t_last_socket_error = socket_error_from_errno(errno_value);
  return t_last_socket_error;
}

std::string socket_error_line(int code) {
  return std::to_string(code) + ": " + foundation::error_text(code, foundation::german());
}

}  // namespace kovw::net
