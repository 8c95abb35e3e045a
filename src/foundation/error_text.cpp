// Error texts of the four code ranges, in German and English.
#include "foundation/error_text.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace kovw::foundation {

namespace {

struct ErrorRow {
  int code;
  const char* name;  // socket table only
  const char* german;
  const char* english;
};

// clang-format off
constexpr ErrorRow kSocketErrors[] = {
    {kWSABASEERR, "0", "Kein Fehler", "No error"},
    {kWSAEINTR, "WSAEINTR", "Aufruf unterbrochen", "Interrupted function call"},
    {kWSAEBADF, "WSAEBADF", "Ungueltiger Dateideskriptor", "Bad file descriptor"},
    {kWSAEACCES, "WSAEACCES", "Zugriff verweigert", "Permission denied"},
    {kWSAEFAULT, "WSAEFAULT", "Ungueltige Adresse", "Bad address"},
    {kWSAEINVAL, "WSAEINVAL", "Ungueltiges Argument", "Invalid argument"},
    {kWSAEMFILE, "WSAEMFILE", "Zu viele offene Sockets", "Too many open sockets"},
    {kWSAEWOULDBLOCK, "WSAEWOULDBLOCK", "Aufruf wuerde blockieren", "Operation would block"},
    {kWSAEINPROGRESS, "WSAEINPROGRESS", "Operation laeuft bereits", "Operation now in progress"},
    {kWSAEALREADY, "WSAEALREADY", "Operation wird schon ausgefuehrt", "Operation already in progress"},
    {kWSAENOTSOCK, "WSAENOTSOCK", "Kein Socket", "Socket operation on non-socket"},
    {kWSAEDESTADDRREQ, "WSAEDESTADDRREQ", "Zieladresse fehlt", "Destination address required"},
    {kWSAEMSGSIZE, "WSAEMSGSIZE", "Nachricht zu lang", "Message too long"},
    {kWSAEPROTOTYPE, "WSAEPROTOTYPE", "Falscher Protokolltyp fuer Socket", "Protocol wrong type for socket"},
    {kWSAENOPROTOOPT, "WSAENOPROTOOPT", "Ungueltige Protokolloption", "Bad protocol option"},
    {kWSAEPROTONOSUPPORT, "WSAEPROTONOSUPPORT", "Protokoll nicht unterstuetzt", "Protocol not supported"},
    {kWSAESOCKTNOSUPPORT, "WSAESOCKTNOSUPPORT", "Sockettyp nicht unterstuetzt", "Socket type not supported"},
    {kWSAEOPNOTSUPP, "WSAEOPNOTSUPP", "Operation nicht unterstuetzt", "Operation not supported"},
    {kWSAEPFNOSUPPORT, "WSAEPFNOSUPPORT", "Protokollfamilie nicht unterstuetzt", "Protocol family not supported"},
    {kWSAEAFNOSUPPORT, "WSAEAFNOSUPPORT", "Adressfamilie nicht unterstuetzt", "Address family not supported by protocol family"},
    {kWSAEADDRINUSE, "WSAEADDRINUSE", "Adresse wird schon benutzt", "Address already in use"},
    {kWSAEADDRNOTAVAIL, "WSAEADDRNOTAVAIL", "Adresse nicht verfuegbar", "Cannot assign requested address"},
    {kWSAENETDOWN, "WSAENETDOWN", "Netzwerk ausgefallen", "Network is down"},
    {kWSAENETUNREACH, "WSAENETUNREACH", "Netzwerk nicht erreichbar", "Network is unreachable"},
    {kWSAENETRESET, "WSAENETRESET", "Netzwerk hat Verbindung zurueckgesetzt", "Network dropped connection on reset"},
    {kWSAECONNABORTED, "WSAECONNABORTED", "Verbindung abgebrochen", "Software caused connection abort"},
    {kWSAECONNRESET, "WSAECONNRESET", "Partner hat Verbindung beendet", "Connection reset by peer"},
    {kWSAENOBUFS, "WSAENOBUFS", "Kein Pufferplatz verfuegbar", "No buffer space available"},
    {kWSAEISCONN, "WSAEISCONN", "Socket ist schon verbunden", "Socket is already connected"},
    {kWSAENOTCONN, "WSAENOTCONN", "Socket ist nicht verbunden", "Socket is not connected"},
    {kWSAESHUTDOWN, "WSAESHUTDOWN", "Senden nach Socket-Shutdown", "Cannot send after socket shutdown"},
    {kWSAETOOMANYREFS, "WSAETOOMANYREFS", "Zu viele Referenzen", "Too many references"},
    {kWSAETIMEDOUT, "WSAETIMEDOUT", "Zeitueberschreitung der Verbindung", "Connection timed out"},
    {kWSAECONNREFUSED, "WSAECONNREFUSED", "Verbindung abgelehnt", "Connection refused"},
    {kWSAELOOP, "WSAELOOP", "Zu viele symbolische Verweise", "Too many levels of symbolic links"},
    {kWSAENAMETOOLONG, "WSAENAMETOOLONG", "Name zu lang", "Name too long"},
    {kWSAEHOSTDOWN, "WSAEHOSTDOWN", "Rechner ausgefallen", "Host is down"},
    {kWSAEHOSTUNREACH, "WSAEHOSTUNREACH", "Rechner nicht erreichbar", "No route to host"},
    {kWSAENOTEMPTY, "WSAENOTEMPTY", "Verzeichnis nicht leer", "Directory not empty"},
    {kWSAEPROCLIM, "WSAEPROCLIM", "Zu viele Prozesse", "Too many processes"},
    {kWSAEUSERS, "WSAEUSERS", "Zu viele Benutzer", "Too many users"},
    {kWSAEDQUOT, "WSAEDQUOT", "Plattenkontingent ueberschritten", "Disk quota exceeded"},
    {kWSAESTALE, "WSAESTALE", "Veralteter Dateiverweis", "Stale file handle reference"},
    {kWSAEREMOTE, "WSAEREMOTE", "Objekt ist entfernt", "Item is remote"},
    {kWSAEDISCON, "WSAEDISCON", "Partner beendet Verbindung", "Graceful shutdown in progress"},
    {kWSASYSNOTREADY, "WSASYSNOTREADY", "Netzwerk-Subsystem nicht bereit", "Network subsystem is unavailable"},
    {kWSAVERNOTSUPPORTED, "WSAVERNOTSUPPORTED", "Version nicht unterstuetzt", "Socket library version out of range"},
    {kWSANOTINITIALISED, "WSANOTINITIALISED", "Socket-Bibliothek nicht initialisiert", "Socket library not initialised"},
    {kWSAHOST_NOT_FOUND, "WSAHOST_NOT_FOUND", "Rechner nicht gefunden", "Host not found"},
    {kWSATRY_AGAIN, "WSATRY_AGAIN", "Rechner nicht gefunden, bitte wiederholen", "Nonauthoritative host not found, try again"},
    {kWSANO_RECOVERY, "WSANO_RECOVERY", "Nicht behebbarer Fehler bei der Namensaufloesung", "Nonrecoverable name server error"},
    {kWSANO_DATA, "WSANO_DATA", "Kein Datensatz fuer den Namen", "Valid name, no data record of requested type"},
    // Same number as WSANO_DATA: found by name only.
    {kWSANO_ADDRESS, "WSANO_ADDRESS", "Keine Adresse fuer den Namen", "No address, look for MX record"},
};

constexpr ErrorRow kStartErrors[] = {
    {kStartOutOfResources, nullptr, "Das Betriebssystem hat nicht genug Speicher oder Ressourcen", "The operating system is out of memory or resources"},
    {kStartFileNotFound, nullptr, "Die Datei wurde nicht gefunden", "The specified file was not found"},
    {kStartPathNotFound, nullptr, "Der Pfad wurde nicht gefunden", "The specified path was not found"},
    {kStartAccessDenied, nullptr, "Zugriff verweigert", "Access denied"},
    {kStartOutOfMemory, nullptr, "Nicht genug Speicher fuer den Programmstart", "There was not enough memory to start the program"},
    {kStartBadFormat, nullptr, "Die Programmdatei ist ungueltig", "The program file is invalid"},
    {kStartSharingViolation, nullptr, "Freigabeverletzung", "A sharing violation occurred"},
    {kStartAssociationIncomplete, nullptr, "Die Dateizuordnung ist unvollstaendig oder ungueltig", "The file name association is incomplete or invalid"},
    {kStartDdeTimeout, nullptr, "Zeitueberschreitung bei der DDE-Transaktion", "The DDE transaction timed out"},
    {kStartDdeFailed, nullptr, "Die DDE-Transaktion ist fehlgeschlagen", "The DDE transaction failed"},
    {kStartDdeBusy, nullptr, "Die DDE-Transaktion ist belegt", "The DDE transaction could not be completed because other DDE transactions were being processed"},
    {kStartNoAssociation, nullptr, "Dem Dateityp ist kein Programm zugeordnet", "There is no application associated with the given file name extension"},
    {kStartDllNotFound, nullptr, "Die DLL wurde nicht gefunden", "The specified DLL was not found"},
};

// Common system error numbers (the platform numbering that messages show).
constexpr ErrorRow kSystemErrors[] = {
    {0, nullptr, "Der Vorgang wurde erfolgreich beendet", "The operation completed successfully"},
    {1, nullptr, "Unzulaessige Funktion", "Incorrect function"},
    {2, nullptr, "Die Datei wurde nicht gefunden", "The system cannot find the file specified"},
    {3, nullptr, "Der Pfad wurde nicht gefunden", "The system cannot find the path specified"},
    {4, nullptr, "Die Datei kann nicht geoeffnet werden", "The system cannot open the file"},
    {5, nullptr, "Zugriff verweigert", "Access is denied"},
    {6, nullptr, "Das Handle ist ungueltig", "The handle is invalid"},
    {8, nullptr, "Nicht genug Speicher, um den Befehl zu verarbeiten", "Not enough memory to process this command"},
    {14, nullptr, "Nicht genug Speicher, um den Vorgang abzuschliessen", "Not enough memory to complete this operation"},
    {15, nullptr, "Das Laufwerk wurde nicht gefunden", "The system cannot find the drive specified"},
    {21, nullptr, "Das Geraet ist nicht bereit", "The device is not ready"},
    {32, nullptr, "Die Datei wird von einem anderen Prozess verwendet", "The process cannot access the file because it is being used by another process"},
    {33, nullptr, "Ein Teil der Datei ist von einem anderen Prozess gesperrt", "Another process has locked a portion of the file"},
    {80, nullptr, "Die Datei ist vorhanden", "The file exists"},
    {87, nullptr, "Falscher Parameter", "The parameter is incorrect"},
    {109, nullptr, "Die Pipe wurde beendet", "The pipe has been ended"},
    {112, nullptr, "Nicht genug Speicherplatz auf dem Datentraeger", "There is not enough space on the disk"},
    {122, nullptr, "Der Datenbereich ist zu klein", "The data area passed to a system call is too small"},
    {123, nullptr, "Die Syntax des Dateinamens ist falsch", "The filename, directory name, or volume label syntax is incorrect"},
    {183, nullptr, "Die Datei ist bereits vorhanden", "Cannot create a file when that file already exists"},
    {206, nullptr, "Der Dateiname oder die Erweiterung ist zu lang", "The filename or extension is too long"},
    {258, nullptr, "Zeitueberschreitung beim Warten", "The wait operation timed out"},
    {995, nullptr, "Der E/A-Vorgang wurde abgebrochen", "The I/O operation has been aborted"},
    {1223, nullptr, "Der Vorgang wurde vom Benutzer abgebrochen", "The operation was canceled by the user"},
    {1460, nullptr, "Zeitueberschreitung", "This operation returned because the timeout period expired"},
};
// clang-format on

template <std::size_t N>
const ErrorRow* find_row(const ErrorRow (&table)[N], int code) {
  for (const ErrorRow& row : table)
    if (row.code == code) return &row;
  return nullptr;
}

const char* pick(const ErrorRow& row, bool german) {
  return german ? row.german : row.english;
}

std::string unknown(int code, bool german) {
  char text[64];
  std::snprintf(text, sizeof text, german ? "Unbekannter Fehler %d" : "Unknown error %d", code);
  return text;
}

// strerror_r comes in two forms; both are thread-safe.
[[maybe_unused]] const char* strerror_result(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* strerror_result(const char* result, const char*) {
  return result;
}

std::string c_library_text(int error) {
  char buffer[256] = {};
  const char* text = strerror_result(strerror_r(error, buffer, sizeof buffer), buffer);
  // The C library names numbers beyond its range "Unknown error N".
  if (!text || !*text || std::strncmp(text, "Unknown error", 13) == 0)
    return "Unknown system error";
  return text;
}

}  // namespace

std::string error_text(int code, bool german) {
  if (code >= kStartErrorBase) {
    if (const ErrorRow* row = find_row(kStartErrors, code - kStartErrorBase))
      return pick(*row, german);
    return german ? "Unbekannter Fehler beim Programmstart" : "Unknown program start error";
  }
  if (code >= kErrnoErrorBase) return c_library_text(code - kErrnoErrorBase);
  if (code >= kWSABASEERR) {
    if (const ErrorRow* row = find_row(kSocketErrors, code))
      return std::string(row->name) + " " + pick(*row, german);
    return unknown(code, german);
  }
  if (const ErrorRow* row = find_row(kSystemErrors, code)) return pick(*row, german);
  return unknown(code, german);
}

const char* socket_error_name(int code) {
  const ErrorRow* row = find_row(kSocketErrors, code);
  return row ? row->name : nullptr;
}

}  // namespace kovw::foundation
