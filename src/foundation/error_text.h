#pragma once
// The text of a system error code, as log lines and messages show it after "code: ".
//   60000 and up:  program-start failures (code - 60000: the start error numbers below);
//   20000 - 59999: the C library's text of errno (code - 20000);
//   10000 - 19999: socket errors, the symbolic name and a short description;
//   other codes:   common system error texts, else an "unknown error" text.
// This is the one table of socket error numbers: the socket layer maps errno to them.

#include <string>

namespace kovw::foundation {

// Code ranges.
inline constexpr int kErrnoErrorBase = 20000;
inline constexpr int kStartErrorBase = 60000;

// Socket error numbers (the numbering that users and logs see).
inline constexpr int kWSABASEERR = 10000;
inline constexpr int kWSAEINTR = 10004;
inline constexpr int kWSAEBADF = 10009;
inline constexpr int kWSAEACCES = 10013;
inline constexpr int kWSAEFAULT = 10014;
inline constexpr int kWSAEINVAL = 10022;
inline constexpr int kWSAEMFILE = 10024;
inline constexpr int kWSAEWOULDBLOCK = 10035;
inline constexpr int kWSAEINPROGRESS = 10036;
inline constexpr int kWSAEALREADY = 10037;
inline constexpr int kWSAENOTSOCK = 10038;
inline constexpr int kWSAEDESTADDRREQ = 10039;
inline constexpr int kWSAEMSGSIZE = 10040;
inline constexpr int kWSAEPROTOTYPE = 10041;
inline constexpr int kWSAENOPROTOOPT = 10042;
inline constexpr int kWSAEPROTONOSUPPORT = 10043;
inline constexpr int kWSAESOCKTNOSUPPORT = 10044;
inline constexpr int kWSAEOPNOTSUPP = 10045;
inline constexpr int kWSAEPFNOSUPPORT = 10046;
inline constexpr int kWSAEAFNOSUPPORT = 10047;
inline constexpr int kWSAEADDRINUSE = 10048;
inline constexpr int kWSAEADDRNOTAVAIL = 10049;
inline constexpr int kWSAENETDOWN = 10050;
inline constexpr int kWSAENETUNREACH = 10051;
inline constexpr int kWSAENETRESET = 10052;
inline constexpr int kWSAECONNABORTED = 10053;
inline constexpr int kWSAECONNRESET = 10054;
inline constexpr int kWSAENOBUFS = 10055;
inline constexpr int kWSAEISCONN = 10056;
inline constexpr int kWSAENOTCONN = 10057;
inline constexpr int kWSAESHUTDOWN = 10058;
inline constexpr int kWSAETOOMANYREFS = 10059;
inline constexpr int kWSAETIMEDOUT = 10060;
inline constexpr int kWSAECONNREFUSED = 10061;
inline constexpr int kWSAELOOP = 10062;
inline constexpr int kWSAENAMETOOLONG = 10063;
inline constexpr int kWSAEHOSTDOWN = 10064;
inline constexpr int kWSAEHOSTUNREACH = 10065;
inline constexpr int kWSAENOTEMPTY = 10066;
inline constexpr int kWSAEPROCLIM = 10067;
inline constexpr int kWSAEUSERS = 10068;
inline constexpr int kWSAEDQUOT = 10069;
inline constexpr int kWSAESTALE = 10070;
inline constexpr int kWSAEREMOTE = 10071;
inline constexpr int kWSASYSNOTREADY = 10091;
inline constexpr int kWSAVERNOTSUPPORTED = 10092;
inline constexpr int kWSANOTINITIALISED = 10093;
inline constexpr int kWSAEDISCON = 10101;
inline constexpr int kWSAHOST_NOT_FOUND = 11001;
inline constexpr int kWSATRY_AGAIN = 11002;
inline constexpr int kWSANO_RECOVERY = 11003;
inline constexpr int kWSANO_DATA = 11004;
inline constexpr int kWSANO_ADDRESS = kWSANO_DATA;  // the same number, as in the original API

// Program-start failures (added to kStartErrorBase).
inline constexpr int kStartOutOfResources = 0;
inline constexpr int kStartFileNotFound = 2;
inline constexpr int kStartPathNotFound = 3;
inline constexpr int kStartAccessDenied = 5;
inline constexpr int kStartOutOfMemory = 8;
inline constexpr int kStartBadFormat = 11;
inline constexpr int kStartSharingViolation = 26;
inline constexpr int kStartAssociationIncomplete = 27;
inline constexpr int kStartDdeTimeout = 28;
inline constexpr int kStartDdeFailed = 29;
inline constexpr int kStartDdeBusy = 30;
inline constexpr int kStartNoAssociation = 31;
inline constexpr int kStartDllNotFound = 32;

// `german` selects the German descriptions (the default language of the socket table).
std::string error_text(int code, bool german);

// The symbolic name of a socket error number ("WSAECONNRESET"), nullptr when unknown.
const char* socket_error_name(int code);

}  // namespace kovw::foundation
