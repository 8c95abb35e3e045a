#pragma once
// The workstation's own texts by number, in German and English: messages 10001 and up,
// button labels 20001 to 20006, and resource texts 40000 and up.

#include <cstdarg>
#include <string>
#include <vector>

namespace kovw::foundation {

// User-interface languages of the "Language" setting.
inline constexpr int kLanguageGerman = 1;
inline constexpr int kLanguageEnglish = 4;

// The language chosen at start-up (1 German, 2 Norwegian, ... 4 English, ...).
void set_language(int language);
// The calling thread's language: the one a program's screen definition chose for its thread,
// else the language of start-up.
int language();
// Gives the calling thread a language of its own (1 to 9); 0 returns it to the start-up one.
void set_thread_language(int language);
// The message table is German for language 1 and English otherwise.
bool german();

// The text of message or resource `number` in the current language; "" when unknown.
const char* message_text(int number);
// The text in the given language (German when `in_german`).
const char* message_text(int number, bool in_german);
// The text of `number` in the current language with printf arguments filled in.
std::string message_text_format(int number, ...);
// The same with the arguments as a va_list.
std::string message_text_vformat(int number, va_list args);
// Every number the table holds, ascending.
std::vector<int> message_numbers();

// Menus whose items carry texts of their own: the login dialog's menu and the tray menu.
inline constexpr int kMenuLoginDialog = 210;
inline constexpr int kMenuTray = 127;
// The text of item `id` of `menu` (with its "&" accelerator marks); "" when the menu has none.
const char* menu_text(int menu, int id);
const char* menu_text(int menu, int id, bool in_german);

}  // namespace kovw::foundation
