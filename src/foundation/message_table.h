#pragma once
// The workstation's own texts by number, in German and English: messages 10001 and up,
// button labels 20001 to 20006, and resource texts 40000 and up.

namespace kovw::foundation {

// User-interface languages of the "Language" setting.
inline constexpr int kLanguageGerman = 1;
inline constexpr int kLanguageEnglish = 4;

// The language chosen at start-up (1 German, 2 Norwegian, ... 4 English, ...).
void set_language(int language);
int language();
// The message table is German for language 1 and English otherwise.
bool german();

// The text of message or resource `number` in the current language; "" when unknown.
const char* message_text(int number);
// The text in the given language (German when `in_german`).
const char* message_text(int number, bool in_german);

}  // namespace kovw::foundation
