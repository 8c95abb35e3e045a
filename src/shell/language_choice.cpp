#include "shell/language_choice.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kovw::shell {

int language_of_locale(const char* locale_name) {
  if (!locale_name) return 4;
  std::string primary(locale_name, ::strnlen(locale_name, 64));
  primary = primary.substr(0, primary.find_first_of("_.@-"));
  if (primary == "de") return 1;
  if (primary == "es") return 5;
  if (primary == "fr") return 3;
  if (primary == "it") return 9;
  if (primary == "nb" || primary == "nn" || primary == "no") return 2;
  if (primary == "pl") return 6;
  return 4;
}

int choose_language(int setting) {
  if (setting != 0) return setting;
  // The user's default: the first of the usual locale variables that is set.
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return language_of_locale(value);
  }
  return 4;
}

int language_identifier(int language) {
  switch (language) {
    case 1:
      return 1031;
    case 2:
      return 1044;
    case 3:
      return 1036;
    case 4:
      return 2057;
    case 5:
      return 1034;
    case 6:
      return 1045;
    case 9:
      return 1040;
    default:
      return 0;
  }
}

int font_charset(int charset_index) {
  static constexpr int kCharsets[] = {1,   0,   238, 204, 186, 161, 162, 136, 177,
                                      178, 163, 222, 128, 129, 129, 134, 130};
  if (charset_index < 0 || charset_index > 16) return 1;
  return kCharsets[charset_index];
}

}  // namespace kovw::shell
