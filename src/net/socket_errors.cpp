#include "net/socket_errors.h"

#include "foundation/error_text.h"

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
    {EINTR, foundation::kWSAEINTR},
    {EBADF, foundation::kWSAEBADF},
    {EACCES, foundation::kWSAEACCES},
    {EPERM, foundation::kWSAEACCES},
    {EFAULT, foundation::kWSAEFAULT},
    {EINVAL, foundation::kWSAEINVAL},
    {EMFILE, foundation::kWSAEMFILE},
    {ENFILE, foundation::kWSAEMFILE},
    {EAGAIN, foundation::kWSAEWOULDBLOCK},
#if EWOULDBLOCK != EAGAIN
    {EWOULDBLOCK, foundation::kWSAEWOULDBLOCK},
#endif
    {EINPROGRESS, foundation::kWSAEINPROGRESS},
    {EALREADY, foundation::kWSAEALREADY},
    {ENOTSOCK, foundation::kWSAENOTSOCK},
    {EDESTADDRREQ, foundation::kWSAEDESTADDRREQ},
    {EMSGSIZE, foundation::kWSAEMSGSIZE},
    {EPROTOTYPE, foundation::kWSAEPROTOTYPE},
    {ENOPROTOOPT, foundation::kWSAENOPROTOOPT},
    {EPROTONOSUPPORT, foundation::kWSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, foundation::kWSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, foundation::kWSAEOPNOTSUPP},
#if ENOTSUP != EOPNOTSUPP
    {ENOTSUP, foundation::kWSAEOPNOTSUPP},
#endif
    {EPFNOSUPPORT, foundation::kWSAEPFNOSUPPORT},
    {EAFNOSUPPORT, foundation::kWSAEAFNOSUPPORT},
    {EADDRINUSE, foundation::kWSAEADDRINUSE},
    {EADDRNOTAVAIL, foundation::kWSAEADDRNOTAVAIL},
    {ENETDOWN, foundation::kWSAENETDOWN},
    {ENETUNREACH, foundation::kWSAENETUNREACH},
    {ENETRESET, foundation::kWSAENETRESET},
    {ECONNABORTED, foundation::kWSAECONNABORTED},
    {ECONNRESET, foundation::kWSAECONNRESET},
    // Writing to a connection the peer has closed or reset.
    {EPIPE, foundation::kWSAECONNRESET},
    {ENOBUFS, foundation::kWSAENOBUFS},
    {ENOMEM, foundation::kWSAENOBUFS},
    {EISCONN, foundation::kWSAEISCONN},
    {ENOTCONN, foundation::kWSAENOTCONN},
    {ESHUTDOWN, foundation::kWSAESHUTDOWN},
    {ETOOMANYREFS, foundation::kWSAETOOMANYREFS},
    {ETIMEDOUT, foundation::kWSAETIMEDOUT},
    {ECONNREFUSED, foundation::kWSAECONNREFUSED},
    {ELOOP, foundation::kWSAELOOP},
    {ENAMETOOLONG, foundation::kWSAENAMETOOLONG},
    {EHOSTDOWN, foundation::kWSAEHOSTDOWN},
    {EHOSTUNREACH, foundation::kWSAEHOSTUNREACH},
    {ENOTEMPTY, foundation::kWSAENOTEMPTY},
    {EUSERS, foundation::kWSAEUSERS},
    {EDQUOT, foundation::kWSAEDQUOT},
    {ESTALE, foundation::kWSAESTALE},
    {EREMOTE, foundation::kWSAEREMOTE},
};

}  // namespace

int socket_error_from_errno(int errno_value) {
  if (errno_value == 0) return 0;
  for (const ErrnoRow& row : kErrnoTable) {
    if (row.errno_value == errno_value) return row.socket_error;
  }
  return foundation::kErrnoErrorBase + errno_value;
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
      return foundation::kWSAHOST_NOT_FOUND;
    case EAI_AGAIN:
      return foundation::kWSATRY_AGAIN;
    case EAI_MEMORY:
      return foundation::kWSAENOBUFS;
    case EAI_FAMILY:
      return foundation::kWSAEAFNOSUPPORT;
    case EAI_SOCKTYPE:
      return foundation::kWSAESOCKTNOSUPPORT;
    case EAI_SERVICE:
      return foundation::kWSANO_DATA;
    case EAI_BADFLAGS:
      return foundation::kWSAEINVAL;
    case EAI_SYSTEM: {
      int code = socket_error_from_errno(errno_value);
      return code != 0 ? code : foundation::kWSANO_RECOVERY;
    }
    default:
      return foundation::kWSANO_RECOVERY;
  }
}

}  // namespace kovw::net
