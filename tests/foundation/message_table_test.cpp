#include "foundation/message_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kovw::foundation {
namespace {

// The printf conversions of a format, each with its flags, width, precision and length.
std::vector<std::string> conversions(const std::string& format) {
  std::vector<std::string> result;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < format.size() &&
           std::string("-+ #0123456789.*hlLqjzt").find(format[end]) != std::string::npos)
      ++end;
    result.push_back(format.substr(i, end - i + 1));
    i = end;
  }
  return result;
}

class LanguageGuard {
 public:
  LanguageGuard() : saved_(language()) {}
  ~LanguageGuard() { set_language(saved_); }

 private:
  int saved_;
};

TEST(MessageTable, EveryEntryHasBothFormsWithTheSameConversions) {
  const std::vector<int> numbers = message_numbers();
  ASSERT_GT(numbers.size(), 150u);
  for (int number : numbers) {
    SCOPED_TRACE(number);
    const std::string de = message_text(number, true);
    const std::string en = message_text(number, false);
    EXPECT_FALSE(de.empty());
    EXPECT_FALSE(en.empty());
    EXPECT_EQ(conversions(de), conversions(en));
    for (const std::string& conversion : conversions(de)) {
      EXPECT_NE(std::string("diuxXcsfgeElp").find(conversion.back()), std::string::npos)
          << conversion;
    }
  }
}

TEST(MessageTable, NumbersAreAscendingAndCoverTheRanges) {
  const std::vector<int> numbers = message_numbers();
  for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_LT(numbers[i - 1], numbers[i]);
  EXPECT_GE(numbers.front(), 10001);
  for (int button = 20001; button <= 20006; ++button)
    EXPECT_NE(*message_text(button, true), '\0') << button;
}

TEST(MessageTable, SpotChecksOfExactTexts) {
  struct Case {
    int number;
    const char* german;
    const char* english;
  };
  const Case cases[] = {
      {10019, "Programm wirklich abbrechen?\nNicht gespeicherte Daten gehen verloren!",
       "Really leave program?\nUnsaved data will be lost!"},
      {10050, "Speicher für Umgebungsvariablen voll.", "No more space in environment table."},
      {10051, nullptr, "Error command line: %s"},
      {10069, nullptr, "Cannot open Workflow protocol file %s"},
      {10096, nullptr, "Error %d on open command file %s"},
      {10097, "Fehler bei Initialisierung Twofish Verschlüsselung",
       "Error initialzing Twofish Encryption"},
      {10208, "Kann %s nicht öffnen, verwende %s", "Cannot open %s, use %s"},
      {10209, "Kann %s nicht öffnen, Fehler %d", "Cannot open %s, error %d"},
      {40287, "Nicht angemeldet", "No active login"},
      {40300, "Kann Windows-Socket nicht initialisieren.", "Cannot initialize Windows-Socket."},
      {10018, "Kann Schriftart \"%s\" mit Größe %d.%.1d nicht finden.",
       "Font \"%s\", size %d.%.1d, not loadable."},
      {10121, "Daten für Zeichenbereich unrealistisch (grox %ld,  groy %ld). Bitte prüfen",
       "Wrong data for drawing area (grox %ld,  groy %ld). Please check"},
      {10007, "Keine Verbindung aktiv", "No active connection"},
      {10008, "Hostrechner abfragen - Bitte warten", "Broadcast for hosts - please wait"},
      {10009, "Verbinden zum Host", "Connecting to host"},
      {10010, "Verbunden", "Connected"},
      {10044, "Trennen vom Host", "Disconnect from host"},
      {10023, "Kennwort falsch", "Wrong password"},
      {10028, "KOVW von dieser Station auf diesem Host bereits aktiv.",
       "KOVW already active for this station to this host."},
      {20005, "Wiederholen", "Try again"},
      {40298, "Alte Version von KOVW reaktiviert. Bitte neu starten!",
       "Former version of KOVW reactivated.  Please restart!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    if (c.german) {
      EXPECT_STREQ(message_text(c.number, true), c.german);
    }
    EXPECT_STREQ(message_text(c.number, false), c.english);
  }
}

TEST(MessageTable, UnknownNumbersGiveEmptyText) {
  for (int number : {0, -1, 10001, 10027, 20000, 20007, 40000, 99999})
    EXPECT_STREQ(message_text(number, true), "") << number;
}

TEST(MessageTable, LanguageOneIsGermanEveryOtherEnglish) {
  LanguageGuard guard;
  set_language(kLanguageGerman);
  EXPECT_TRUE(german());
  EXPECT_STREQ(message_text(20004), "Nein");
  for (int other : {0, 2, 3, kLanguageEnglish, 9}) {
    set_language(other);
    EXPECT_EQ(language(), other);
    EXPECT_FALSE(german());
    EXPECT_STREQ(message_text(20004), "No");
  }
}

TEST(MessageTable, MenusKeepTheirOwnTextsForTheSameCommand) {
  EXPECT_STREQ(menu_text(kMenuLoginDialog, 40003, false), "&Exit (F3)");
  EXPECT_STREQ(menu_text(kMenuTray, 40003, false), "Exit &KOVW");
  EXPECT_STREQ(menu_text(kMenuTray, 40008, true), "KOVW Info");
  EXPECT_STREQ(menu_text(kMenuLoginDialog, 40002, false), "");  // not in that menu
  EXPECT_STREQ(menu_text(kMenuTray, 40022, true), "");
}

}  // namespace
}  // namespace kovw::foundation
