#pragma once
// errno to the socket error numbering that users and log lines see (10054 connection reset,
// 10060 time-out, ...): the one translation table. The numbers themselves are named in
// foundation/error_text.h (kWSAECONNRESET, ...), next to their texts.

#include "foundation/error_text.h"

namespace kovw::net {

// Codes the socket layers store themselves.
inline constexpr int kErrorInvalidArgument = 22;  // a failure that left no system error
inline constexpr int kErrorWaitTimeout = 258;     // a receive or connect wait ran out
// A send wait that ran out stores foundation::kWSAEINTR (10004).

// The socket error number of a POSIX errno value; 0 stays 0; an errno without a socket
// meaning becomes foundation::kErrnoErrorBase + errno (shown with the C library's text).
int socket_error_from_errno(int errno_value);

// The socket error number of a getaddrinfo/getnameinfo result (EAI_*); `errno_value` is used
// for EAI_SYSTEM. A name that does not exist gives 11001.
int socket_error_from_resolver(int eai_code, int errno_value);

}  // namespace kovw::net
