#include "net/socket_errors.h"

#include <netdb.h>

#include <cerrno>

namespace kovw::net {

namespace {

struct ErrnoRow {
  int errno_value;
  int socket_error;
};

// The one table from errno to the Winsock numbering.
constexpr ErrnoRow kErrnoTable[] = {
    {EINTR, kWsaInterrupted},
    {EBADF, kWsaBadHandle},
    {EACCES, kWsaAccess},
    {EPERM, kWsaAccess},
    {EFAULT, kWsaFault},
    {EINVAL, kWsaInvalid},
    {EMFILE, kWsaTooManyFiles},
    {ENFILE, kWsaTooManyFiles},
    {EAGAIN, kWsaWouldBlock},
#if EWOULDBLOCK != EAGAIN
    {EWOULDBLOCK, kWsaWouldBlock},
#endif
    {EINPROGRESS, kWsaInProgress},
    {EALREADY, kWsaAlready},
    {ENOTSOCK, kWsaNotSocket},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, kWsaMessageSize},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, kWsaNoProtocolOption},
    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, kWsaNotSupported},
#if ENOTSUP != EOPNOTSUPP
    {ENOTSUP, kWsaNotSupported},
#endif
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, kWsaFamilyNotSupported},
    {EADDRINUSE, kWsaAddressInUse},
    {EADDRNOTAVAIL, kWsaAddressNotAvailable},
    {ENETDOWN, kWsaNetDown},
    {ENETUNREACH, kWsaNetUnreachable},
    {ENETRESET, kWsaNetReset},
    {ECONNABORTED, kWsaConnectionAborted},
    {ECONNRESET, kWsaConnectionReset},
    // Writing to a connection the peer has closed or reset.
    {EPIPE, kWsaConnectionReset},
    {ENOBUFS, kWsaNoBuffers},
    {ENOMEM, kWsaNoBuffers},
    {EISCONN, kWsaIsConnected},
    {ENOTCONN, kWsaNotConnected},
    {ESHUTDOWN, kWsaShutdown},
    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, kWsaTimedOut},
    {ECONNREFUSED, kWsaConnectionRefused},
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
    {EHOSTDOWN, kWsaHostDown},
    {EHOSTUNREACH, kWsaHostUnreachable},
    {ENOTEMPTY, 10066},
    {EUSERS, 10068},
    {EDQUOT, 10069},
    {ESTALE, 10070},
    {EREMOTE, 10071},
};

}  // namespace

int socket_error_from_errno(int errno_value) {
  if (errno_value == 0) return 0;
  for (const ErrnoRow& row : kErrnoTable) {
    if (row.errno_value == errno_value) return row.socket_error;
  }
  return kCLibraryErrorBase + errno_value;
}

int socket_error_from_resolver(int eai_code, int errno_value) {
  switch (eai_code) {
    case 0:
      return 0;
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
      return kWsaHostNotFound;
    case EAI_AGAIN:
      return kWsaTryAgain;
    case EAI_MEMORY:
      return kWsaNoBuffers;
    case EAI_FAMILY:
      return kWsaFamilyNotSupported;
    case EAI_SOCKTYPE:
      return 10044;
    case EAI_SERVICE:
      return kWsaNoData;
    case EAI_BADFLAGS:
      return kWsaInvalid;
    case EAI_SYSTEM: {
      int code = socket_error_from_errno(errno_value);
      return code != 0 ? code : kWsaNoRecovery;
    }
    default:
      return kWsaNoRecovery;
  }
}

}  // namespace kovw::net
