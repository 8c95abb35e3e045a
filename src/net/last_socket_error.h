#pragma once
// The calling thread's last socket error: the system error code (Winsock numbering, see
// socket_errors.h) of the last failing socket or link operation of this thread. Callers read
// it right after a failure and show it as the second number of their "%d/%d" messages.

#include <string>

namespace kovw::net {

int last_socket_error();
void set_last_socket_error(int code);
// Stores socket_error_from_errno(errno_value) and returns it.
int set_last_socket_error_from_errno(int errno_value);

// A system error code as log lines show it: the code, a colon, a blank and its error text
// in the user's language, for example "10054: WSAECONNRESET ...".
std::string socket_error_line(int code);

}  // namespace kovw::net
