// The workstation's own texts: one table sorted by number, each text in German and English.
// Texts keep the printf conversions of their callers; both forms carry the same ones in the
// same order.
#include "foundation/message_table.h"

#include <cstdarg>
#include <cstdio>

#include <algorithm>
#include <atomic>
#include <iterator>

namespace kovw::foundation {
namespace {

struct MessageEntry {
  int number;
  const char* german;
  const char* english;
};

// clang-format off
constexpr MessageEntry kMessages[] = {
    // Messages.
    {10002, "Noch angemeldet an %s. Programm trotzdem beenden?", "Still connected to %s. Leave program anyway?"},
    {10004, "[Kein KOVD aktiv]", "[No KOVD active]"},
    // Connection states; the state's number is the number of its status text.
    {10007, "Keine Verbindung aktiv", "No active connection"},
    {10008, "Hostrechner abfragen - Bitte warten", "Broadcast for hosts - please wait"},
    {10009, "Verbinden zum Host", "Connecting to host"},
    {10010, "Verbunden", "Connected"},
    {10012, "Kann eigenen Hostname nicht abfragen. Fehler %d.", "Cannot find own host name. Error %d."},
    {10013, "Fehler beim Anlegen der Schaltfläche %s", "Error when creating button %s"},
    {10014, "Programm vom Host kann nicht akzeptiert werden. Fehler %d/%d", "Program not accepted by host. Error %d/%d"},
    {10015, "Es ist bereits eine Verbindung aktiv!", "There is another active connection."},
    {10016, "Core-Datei erstellt.", "Core file created"},
    {10017, "KOVW wirklich beenden? %d Programm(e) noch aktiv.", "Really leave KOVW? %d program(s) still active."},
    {10018, "Kann Schriftart \"%s\" mit Größe %d.%.1d nicht finden.", "Font \"%s\", size %d.%.1d, not loadable."},
    {10019, "Programm wirklich abbrechen?\nNicht gespeicherte Daten gehen verloren!", "Really leave program?\nUnsaved data will be lost!"},
    {10021, "Wirklich abmelden? %d Programm(e) noch aktiv.", "Really logout? %d program(s) still active."},
    {10022, "Meldung von %s beim Login:\n%s", "Login to host %s denied!\n%s"},
    // Reasons of a refused login: 10022 + the reason code.
    {10023, "Kennwort falsch", "Wrong password"},
    {10024, "Benutzer unbekannt", "User unknown"},
    {10025, "Superuser (root) nicht erlaubt", "Superuser (root) not allowed"},
    {10026, "Kann nicht auf gewünschten Benutzer umstellen. Installationsfehler KOVD", "Cannot switch to selected user. Installation Error KOVD"},
    {10028, "KOVW von dieser Station auf diesem Host bereits aktiv.", "KOVW already active for this station to this host."},
    {10029, "Verbindung zu Host %s unterbrochen. %d/%s", "Connection to Host %s broken. %d/%s"},
    {10030, "Fehler beim Anlegen Menue-Eintrag %s (%d)", "Error when creating menu entry %s (%d)"},
    {10031, "Fehler beim Anlegen eines Menues (%d)", "Error when creating menu (%d)"},
    {10032, "Programm %s beendet. Code %d. %s %d. %s", "Program %s finished. Code %d. %s %d. %s"},
    {10033, "Normales Ende. Status", "Normal End. State"},
    {10034, "Abnormales Ende. Signal", "Abnormal End. State"},
    {10036, "Programm %s konnte nicht gestartet werden.\nVerzeichnis %s.\nFehler %d %s", "Program %s could not be started.\nFolder %s.\nError %d %s"},
    {10037, "Fehler beim Empfangen vom Host %s. Fehler %d/%d", "Error while receiving from host %s. Error %d/%d"},
    {10038, "Kann keine Daten zum Host %s senden. Fehler %d/%d.", "Cannot transmit data to host %s. Error %d/%d."},
    {10039, "Kann Verbindung zum Port %s:%d nicht aufbauen. Fehler %d/%d.", "Cannot connect to port %s:%d. Error %d/%d."},
    {10040, "Kann Unterprogramm (Thread) nicht starten.", "Cannot start window thread."},
    {10041, "Unbekannter Fehler", "Unknown error"},
    {10042, "Fehler beim Registrieren der Fensterklasse für \"%s\".", "Error RegisterClass for \"%s\"."},
    {10043, "Fehler %d beim Anlegen des Fensters für \"%s\".", "Error %d while creating window for \"%s\"."},
    {10044, "Trennen vom Host", "Disconnect from host"},
    {10048, "Fenster wirklich schließen?\nNicht gespeicherte Daten gehen verloren!", "Really close window?\nUnsaved data will be lost!"},
    {10049, "Interner Fehler. Falscher Datentyp bei Übertragung für %s. Ist=%d, Soll=%d.", "Internal Error. Wrong data type during transmission for %s. Value %d, should be %d."},
    {10050, "Speicher für Umgebungsvariablen voll.", "No more space in environment table."},
    {10051, "Fehler in der Kommandozeile: %s", "Error command line: %s"},
    {10053, "Hardcopy dieses Fensters", "Hardcopy of this window"},
    {10054, "Hardcopy Fehler %d, Position %d (%s)", "Hardcopy error %d, position %d (%s)"},
    {10055, "Fehler beim Erzeugen der Symbolleiste", "Error while creating tool bar"},
    {10056, "OK", "OK"},
    {10057, "Abbrechen", "Cancel"},
    {10058, "Leeres Datum", "Empty date"},
    {10059, "Font %s kann nicht geladen werden. Fehler %d", "Font %s could not be loaded, error %d"},
    {10060, "Datei %s kann nicht geöffnet werden. Fehler %d", "File %s could not be opened, error %d"},
    {10061, "Datei %s kann nicht geschrieben werden. Fehler %d", "File %s could not be written, error %d"},
    {10063, "Verschieben %s auf %s geht nicht. Fehler %d", "Cannot move %s to %s, error %d"},
    {10064, "Datei kann nicht übertragen werden. %s", "File cannot be transmitted. %s"},
    {10065, "KOVD auf %s unterstützt Kennwort-Änderung nicht", "KOVD on Host %s does not support password change"},
    {10066, "comctl32.dll Version %d.%d erforderlich. Ist:%d.%d", "comctl32.dll version %d.%d necessary. Actual:%d.%d"},
    {10069, "Kann Workflow-Protokolldatei %s nicht öffnen", "Cannot open Workflow protocol file %s"},
    {10075, "Fehler %d beim Anlegen Bildspeicher für %d x %d Punkte", "Error %d while creating picture memory for %d x %d pixels"},
    {10076, "Font \"%s\" nicht gefunden. Verwende \"%s\"", "Font \"%s\" not found. Using \"%s\""},
    {10077, "Verschlüsselungsfehler %s / %d", "Encryption error %s / %d"},
    {10078, "Bitte lokales Verzeichnis/Ordner auswählen", "Choose local directory/folder, please"},
    {10079, "Verzeichnis %s kann nicht geöffnet werden. Fehler %d", "Folder %s could not be opened. Error %d"},
    {10080, "Plakatdruck in dieser Station nicht aktiviert. (KOVW:Einstellen,Allgemein)", "Poster print not activated for this station. (KOVW:Setup, General)"},
    {10084, "Server Programm unterstützt die Unterdrückung großer Bilder nicht. Es werden alle Bilder übertragen.", "Host program does not support large picture suppressing. All pics will be transmitted."},
    {10085, "Mitteilung", "Message"},
    {10086, "Fehler beim Aufbau Dialog-Meldung", "Creating Dialog Window Error."},
    {10087, "Funktion wird von KOVD nicht unterstützt. Bitte aktuelle Version verwenden!", "Function is not supported by KOVD. Please use current version!"},
    {10091, "Programm beenden", "Finish program"},
    {10092, "Vollbild anzeigen", "Show full window"},
    {10093, "Kann Protokolldatei %s nicht öffnen.", "Cannot open log file %s."},
    {10094, "KOVD auf %s unterstützt die Funktion \"Kennwort vergessen\" nicht", "KOVD on Host %s does not support the \"forgotten password\" function"},
    {10096, "Fehler %d beim Öffnen der Kommandodatei %s", "Error %d on open command file %s"},
    {10097, "Fehler bei Initialisierung Twofish Verschlüsselung", "Error initialzing Twofish Encryption"},
    // The longest accepted password has 30 characters; the English text says so too.
    {10099, "Passwort zu lang. Max. 30 Zeichen erlaubt.", "Password too long, up to 30 characters are allowed."},
    {10121, "Daten für Zeichenbereich unrealistisch (grox %ld,  groy %ld). Bitte prüfen", "Wrong data for drawing area (grox %ld,  groy %ld). Please check"},
    {10122, "Anzahl Zeichen für Schriftart \"%s\" ist kleiner/gleich 0 (%d)", "Number of characters for font \"%s\" is less or equal 0 (%d)"},
    {10205, "Passwort ändern, %s meldet Fehler: %s", "Changing password: %s answers %s"},
    {10206, "Passwort wurde geändert", "Password is changed"},
    {10207, "Passwort gespeichert", "Password is accepted"},
    {10208, "Kann %s nicht öffnen, verwende %s", "Cannot open %s, use %s"},
    {10209, "Kann %s nicht öffnen, Fehler %d", "Cannot open %s, error %d"},
    {10211, "Passwortbestätigung passt nicht zum neuen Passwort. Bitte neu eingeben.", "Password confirmation does not fit. Please reenter."},
    {10212, "Maximale Länge für ein Kennwort sind %d Zeichen.", "Maximum password length is %d characters."},
    {10213, "Minimale Länge für ein Kennwort sind %d Zeichen.", "Minimum password length is %d characters."},
    {10214, "Das Kennwort darf den Benutzernamen %s nicht enthalten.", "The password must not contain the user name %s."},
    {10215, "Mindestens ein Sonderzeichen (kein Umlaut, keine Ziffer) notwendig.", "One special character is necessary."},
    {10216, "Mindestens eine Ziffer notwendig.", "One digit is necessary."},
    {10217, "Mindestens eine Ziffer und ein Sonderzeichen notwendig.", "One digit or one special character is necessary."},
    {10218, "Das alte Kennwort darf nicht gleich dem neuen Kennwort sein.", "The old and the new password may not be identical."},
    // Button labels of the workstation's own message boxes.
    {20001, "OK", "OK"},
    {20002, "Abbrechen", "Cancel"},
    {20003, "Ja", "Yes"},
    {20004, "Nein", "No"},
    {20005, "Wiederholen", "Try again"},
    {20006, "Fortfahren", "Continue"},
    // Resource texts.
    {40267, "Alle Dateien (*.*)", "All Files (*.*)"},
    {40268, "Grafik-Dateien (*.BMP, *.PCX)", "Graphic Files (*.BMP, *.PCX)"},
    {40270, "Änderung eines KOVW-Ports oder der Sprache werden erst beim nächsten Start von KOVW berücksichtigt!", "Change of a KOVW port or of the language will not be active until next start of KOVW!"},
    {40271, "Kein Dateiname eingetragen!", "No file name entered!"},
    {40272, "Kein Hardcopy-Drucker ausgewählt!", "No hardcopy printer chosen!"},
    {40274, "Text-Dateien (*.TXT, *.OEM)", "Text files (*.TXT, *.OEM)"},
    {40275, "Für Grafikfenster bitte Grafik-Format angeben.", "Please choose graphic format for graphic windows."},
    {40276, "Fehler %d beim Öffnen des Druckers %s", "Error %d while accessing printer %s"},
    {40277, "Hardcopy Funktion bereits einmal aktiv. Erst beenden!", "Hardcopy already active."},
    {40278, "Kann Hardcopy-Datei %s nicht öffnen. Fehler %d", "Cannot open hardcopy file %s. Error %d"},
    {40282, "Auftrag von %s für Drucker \"%s\" akzeptiert", "Request %s on printer \"%s\" accepted"},
    {40283, "Druck auf \"%s\" für %s beendet.", "Printing on \"%s\" for %s finished."},
    {40284, "Fehler %d beim Drucken", "Error %d while printing"},
    {40285, "Fehler %d/%d bei Datenübertragung", "Error %d/%d while transmitting"},
    {40286, "Opcode %d unbekannt.", "Opcode %d unknown."},
    {40287, "Nicht angemeldet", "No active login"},
    {40288, "[KOVD-Abfrage deaktiviert]", "[KOVD Broadcast deactivated]"},
    {40294, "Dateifehler %d bei %s", "File Error %d on %s"},
    {40295, "Wollen Sie wirklich auf die vorige KOVW-Version zurück?", "Do you really want your former KOVW version?"},
    {40296, "Es gibt keine vorige KOVW-Version (mehr).", "There is no former KOVW version."},
    {40297, "KOVW wurde aktualisiert. Bitte neu starten!", "Update of KOVW finished. Please restart!"},
    {40298, "Alte Version von KOVW reaktiviert. Bitte neu starten!", "Former version of KOVW reactivated.  Please restart!"},
    {40299, "Fehler %d beim Start von %s", "Error %d while starting %s"},
    {40300, "Kann Windows-Socket nicht initialisieren.", "Cannot initialize Windows-Socket."},
    {40303, "Update Information", "Update Information"},
    // Printer access failures; the argument is the printer name.
    {40311, "Drucker %s kann nicht geöffnet werden.", "Printer %s cannot be opened."},
    {40312, "Daten des Druckers %s können nicht gelesen werden.", "Cannot read the data of printer %s."},
    {40313, "Kein Speicher für Drucker %s.", "Out of memory for printer %s."},
    {40314, "Kein Gerätekontext für Drucker %s.", "No device context for printer %s."},
    {40315, "Fehler %d beim Starten Dokument", "Error %d on StartDocument"},
    {40316, "Fehler %d beim Seitenanfang", "Error %d on StartPage"},
    {40319, "Fehler %d beim Seitenende", "Error %d on EndPage"},
    {40320, "Bereits eine Bitmap aktiv!", "Already another bitmap active!"},
    {40321, "Dateiende Druckdatei erreicht oder Fehler %d.", "End of file reached or error %d."},
    {40323, "Falscher Opcode %d bei Kommando %s", "Wrong Opcode %d on command %s"},
    {40324, "Fehler %d beim Lesen temporäre Datei", "Error %d reading temporar file"},
    {40325, "Fehler %d beim Setzen der Seitenparameter", "Error %d setting page parameters (ResetDC)"},
    {40326, "Fehler %d beim Setzen der Druckerparameter", "Error %d setting document properties"},
    {40429, "Fehler unbekannt", "Unknown Error"},
    {40433, "%s: Info-Meldung", "%s: Info message"},
    {40434, "%s: Dringende Mitteilung", "%s: Urgent message"},
    {40435, "Verbindungszeit zum Host abgelaufen. Bitte neu anmelden!", "Connection host timed out. Please login again!"},
    {40436, "Initialisieren des Druckers schlug fehl.", "Could not initialize printer."},
    {40439, "HVTast: Fehler beim Andocken an Zielfenster", "HVTast: Error docking to target window"},
    {40440, "HVTast: Fehler beim Anlegen der Tastatur-Fensterklasse", "HVTast: Error creating keyboard window class"},
    {40441, "HVTast: Fehler beim Anlegen des Tastatur-Fensters", "HVTast: Error creating keyboard window"},
    {40442, "Halvren Software: Virtuelle Tastatur", "Halvren Software: On-Screen Keyboard"},
    {40446, "Das Programm %s ist nicht internetfähig.", "The program %s is not internet capable."},
    {40447, "Soll der Cache wirklich gelöscht werden?", "Really deleting the cache?"},
    {40449, "Programme dürfen ihre Fenster jetzt in den Vordergrund bringen.", "Programs may now bring their windows to the foreground."},
    {40450, "Die Vordergrund-Sperre für Fenster ist wiederhergestellt.", "The foreground lock for windows is restored."},
    {40500, "0 Alle Bilder übertragen", "0 Show all pictures"},
    {40501, "1 Nur Bilder bis 5 KB übertragen (Icons)", "1 Show pictures up to 5 KB (Icons)"},
    {40502, "2 Nur Bilder bis 30 KB übertragen (Icons, Muster)", "2 Show pictures up to 30 KB (Icons, Pattern)"},
    {40503, "3 Nur Bilder bis 60 KB übertragen", "3 Show pictures up to 60 KB"},
    {40504, "Bilder aus", "Pics off"},
    {40505, "Große Bilder aus", "Bigger Pics off"},
    {40506, "Sollen die Passworte wirklich gelöscht werden?", "Really deleting all passwords?"},
    {40516, "Fehler %d beim Konvertieren Firmensymbol %s nach %s %s", "Error %d converting company symbol %s to %s %s"},
};

// Menu items of the login dialog's menu and of the tray menu. The same command id carries
// different texts in the two menus, so these are kept apart from the numbered texts.
struct MenuEntry {
  int menu;
  int id;
  const char* german;
  const char* english;
};

constexpr MenuEntry kMenuItems[] = {
    {kMenuLoginDialog, 40003, "&Beenden (F3)", "&Exit (F3)"},
    {kMenuLoginDialog, 40006, "Programm st&arten", "Program to st&art"},
    {kMenuLoginDialog, 40007, "&Hilfe (Strg F4)", "&Help (Ctrl F4)"},
    {kMenuLoginDialog, 40008, "&Info", "&About"},
    {kMenuLoginDialog, 40011, "&Einstellungen", "&Settings"},
    {kMenuLoginDialog, 40022, "Ab&melden", "L&ogout"},
    {kMenuLoginDialog, 40023, "&Anmelden", "&Login"},
    {kMenuLoginDialog, 40024, "&Liste", "L&ist"},
    {kMenuLoginDialog, 40028, "Vorige &KOVW-Version", "Previous &KOVW-Version"},
    {kMenuLoginDialog, 40032, "Cache &löschen", "C&lear Cache"},
    {kMenuLoginDialog, 40033, "&Installierte Drucker", "&Installed Printer"},
    {kMenuLoginDialog, 40036, "Ä&nderungen", "&Update Changes"},
    {kMenuLoginDialog, 40037, "&Passworte löschen", "&Clear Passwords"},
    {kMenuLoginDialog, 40063, "&Protokoll kovw.log", "&Protocol kovw.log"},
    {kMenuLoginDialog, 40065, "&Windows-Verzeichnisse", "&Windows Folder"},
    {kMenuLoginDialog, 40071, "Makro au&fzeichnen", "&Record Macro"},
    {kMenuLoginDialog, 40072, "Makro a&bspielen", "&Play Macro"},
    {kMenuTray, 40002, "&Abmelden vom Host", "&Logout from Host"},
    {kMenuTray, 40003, "&KOVW beenden", "Exit &KOVW"},
    {kMenuTray, 40008, "KOVW Info", "KOVW Info"},
    {kMenuTray, 40018, "KOVW &wiederherstellen", "KOVW &restore"},
    {kMenuTray, 40020, "KOVW &verbergen", "KOVW &hide"},
    {kMenuTray, 40032, "&Cache löschen", "&Clear Cache"},
    {kMenuTray, 40033, "Installierte &Drucker", "Installed &Printers"},
    {kMenuTray, 40037, "&Passworte löschen", "Clear &Passwords"},
    {kMenuTray, 40063, "Protokoll kovw.log", "Protocoll kovw.log"},
};
// clang-format on

constexpr bool sorted_by_number() {
  for (std::size_t i = 1; i < std::size(kMessages); ++i)
    if (kMessages[i - 1].number >= kMessages[i].number) return false;
  return true;
}
static_assert(sorted_by_number(), "the message table must be sorted by number without duplicates");

std::atomic<int> g_language{kLanguageGerman};

}  // namespace

void set_language(int language) {
  g_language.store(language, std::memory_order_relaxed);
}
thread_local int t_thread_language = 0;

void set_thread_language(int language) {
  t_thread_language = language >= 1 && language <= 9 ? language : 0;
}

int language() {
  if (t_thread_language != 0) return t_thread_language;
  return g_language.load(std::memory_order_relaxed);
}
bool german() {
  return language() == kLanguageGerman;
}

const char* message_text(int number) {
  return message_text(number, german());
}

const char* message_text(int number, bool in_german) {
  const auto* end = std::end(kMessages);
  const auto* it = std::lower_bound(std::begin(kMessages), end, number,
                                    [](const MessageEntry& e, int n) { return e.number < n; });
  if (it == end || it->number != number) return "";
  return in_german ? it->german : it->english;
}

std::vector<int> message_numbers() {
  std::vector<int> numbers;
  numbers.reserve(std::size(kMessages));
  for (const auto& entry : kMessages) numbers.push_back(entry.number);
  return numbers;
}

const char* menu_text(int menu, int id, bool in_german) {
  for (const auto& item : kMenuItems)
    if (item.menu == menu && item.id == id) return in_german ? item.german : item.english;
  return "";
}

const char* menu_text(int menu, int id) {
  return menu_text(menu, id, german());
}

std::string message_text_vformat(int number, va_list args) {
  const char* format = message_text(number);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  return text;
}

std::string message_text_format(int number, ...) {
  va_list args;
  va_start(args, number);
  std::string text = message_text_vformat(number, args);
  va_end(args);
  return text;
}

}  // namespace kovw::foundation
