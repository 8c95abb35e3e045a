#pragma once
// The user-interface language and the font character set chosen from the settings.

namespace kovw::shell {

// Language numbers: 1 German, 2 Norwegian, 3 French, 4 English, 5 Spanish, 6 Polish,
// 9 Italian. `setting` 0 means the user's default language.
int choose_language(int setting);
// The language of the user's locale, mapped by its primary language (English otherwise).
int language_of_locale(const char* locale_name);
// The Windows language identifier of a language number (1031 German ...), 0 when unknown.
int language_identifier(int language);
// The font character set of the "Charset" index; values above 16 give the default, 1.
int font_charset(int charset_index);

}  // namespace kovw::shell
