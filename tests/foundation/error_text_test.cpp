#include "foundation/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kovw::foundation {
namespace {

TEST(ErrorText, EveryRangeInBothLanguages) {
  struct Case {
    int code;
    const char* german;
    const char* english;
  };
  const Case cases[] = {
      {kWSAECONNRESET, "WSAECONNRESET Partner hat Verbindung beendet",
       "WSAECONNRESET Connection reset by peer"},
      {kWSAETIMEDOUT, "WSAETIMEDOUT Zeitueberschreitung der Verbindung",
       "WSAETIMEDOUT Connection timed out"},
      {10004, "WSAEINTR Aufruf unterbrochen", "WSAEINTR Interrupted function call"},
      {11004, "WSANO_DATA Kein Datensatz fuer den Namen",
       "WSANO_DATA Valid name, no data record of requested type"},
      {10002, "Unbekannter Fehler 10002", "Unknown error 10002"},
      {kStartErrorBase + kStartFileNotFound, "Die Datei wurde nicht gefunden",
       "The specified file was not found"},
      {kStartErrorBase + kStartNoAssociation, "Dem Dateityp ist kein Programm zugeordnet",
       "There is no application associated with the given file name extension"},
      {kStartErrorBase + 99, "Unbekannter Fehler beim Programmstart",
       "Unknown program start error"},
      {kStartErrorBase - 1, "Unknown system error", "Unknown system error"},
      {5, "Zugriff verweigert", "Access is denied"},
      {4711, "Unbekannter Fehler 4711", "Unknown error 4711"},
      {-3, "Unbekannter Fehler -3", "Unknown error -3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(error_text(c.code, true), c.german) << c.code;
    EXPECT_EQ(error_text(c.code, false), c.english) << c.code;
  }
}

TEST(ErrorText, CLibraryTextOfErrnoPlus20000) {
  const std::string text = error_text(kErrnoErrorBase + ENOENT, true);
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text, "Unknown system error");
  EXPECT_EQ(text, error_text(kErrnoErrorBase + ENOENT, false));
  EXPECT_NE(text, error_text(kErrnoErrorBase + EACCES, false));
}

TEST(ErrorText, SocketNamesByNumber) {
  EXPECT_STREQ(socket_error_name(10061), "WSAECONNREFUSED");
  EXPECT_STREQ(socket_error_name(10101), "WSAEDISCON");
  EXPECT_STREQ(socket_error_name(11001), "WSAHOST_NOT_FOUND");
  EXPECT_STREQ(socket_error_name(kWSANO_ADDRESS), "WSANO_DATA");  // one number, two names
  EXPECT_EQ(socket_error_name(10001), nullptr);
}

}  // namespace
}  // namespace kovw::foundation
