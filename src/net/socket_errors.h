#pragma once
// System error codes of the socket layers. Users and log lines see the Winsock numbering
// (10054 connection reset, 10060 time-out, ...), so every errno is translated here, in one
// table, before it is stored as a last socket error.

namespace kovw::net {

// Codes the socket layers store themselves.
inline constexpr int kErrorInvalidArgument = 22;  // a failure that left no system error
inline constexpr int kErrorWaitTimeout = 258;     // a receive or connect wait ran out

// Winsock numbers of the errors callers test for.
inline constexpr int kWsaInterrupted = 10004;  // also: a send wait ran out
inline constexpr int kWsaBadHandle = 10009;
inline constexpr int kWsaAccess = 10013;
inline constexpr int kWsaFault = 10014;
inline constexpr int kWsaInvalid = 10022;
inline constexpr int kWsaTooManyFiles = 10024;
inline constexpr int kWsaWouldBlock = 10035;
inline constexpr int kWsaInProgress = 10036;
inline constexpr int kWsaAlready = 10037;
inline constexpr int kWsaNotSocket = 10038;
inline constexpr int kWsaMessageSize = 10040;
inline constexpr int kWsaNoProtocolOption = 10042;
inline constexpr int kWsaNotSupported = 10045;
inline constexpr int kWsaFamilyNotSupported = 10047;
inline constexpr int kWsaAddressInUse = 10048;
inline constexpr int kWsaAddressNotAvailable = 10049;
inline constexpr int kWsaNetDown = 10050;
inline constexpr int kWsaNetUnreachable = 10051;
inline constexpr int kWsaNetReset = 10052;
inline constexpr int kWsaConnectionAborted = 10053;
inline constexpr int kWsaConnectionReset = 10054;
inline constexpr int kWsaNoBuffers = 10055;
inline constexpr int kWsaIsConnected = 10056;
inline constexpr int kWsaNotConnected = 10057;
inline constexpr int kWsaShutdown = 10058;
inline constexpr int kWsaTimedOut = 10060;
inline constexpr int kWsaConnectionRefused = 10061;
inline constexpr int kWsaHostDown = 10064;
inline constexpr int kWsaHostUnreachable = 10065;
inline constexpr int kWsaHostNotFound = 11001;
inline constexpr int kWsaTryAgain = 11002;
inline constexpr int kWsaNoRecovery = 11003;
inline constexpr int kWsaNoData = 11004;

// Offset of C library error numbers that have no Winsock counterpart (the error texts
// show such a code with the C library's text of code - 20000).
inline constexpr int kCLibraryErrorBase = 20000;

// The Winsock number of a POSIX errno value; 0 stays 0; an errno without a socket meaning
// becomes kCLibraryErrorBase + errno.
int socket_error_from_errno(int errno_value);

// The Winsock number of a getaddrinfo/getnameinfo result (EAI_*); `errno_value` is used for
// EAI_SYSTEM. A name that does not exist gives 11001.
int socket_error_from_resolver(int eai_code, int errno_value);

}  // namespace kovw::net
