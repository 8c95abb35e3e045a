#pragma once
// The rules a password must follow: the login password's length, and the rules by level that
// the daemon sets for a new access password. Passwords are checked as ISO 8859-15 bytes, the
// form in which they are sent.

#include <cstdint>
#include <string>
#include <string_view>

namespace kovw::shell {

// The longest login password (the field takes one more character, which is refused).
inline constexpr int kLoginPasswordMax = 30;
// The longest access password: the change message carries 16 bytes of each password.
inline constexpr int kAccessPasswordMax = 16;
// The dialogs' fields take a few more characters, so that a longer password is refused
// with a message instead of being cut without notice.
inline constexpr int kAccessPasswordFieldMax = 19;

// The text as ISO 8859-15; characters that set has not become '?'.
std::string to_latin9(std::u16string_view text);

// Classes of an ISO 8859-15 byte. Letters are those of the set (the accented ones and the
// umlauts included); a special character is neither a letter, a digit nor a blank or tab.
bool is_latin9_letter(std::uint8_t byte);
bool is_latin9_special(std::uint8_t byte);

// 0 when the login password may be used, else message 10099 (too long).
int check_login_password(std::string_view latin9);

// The outcome of a check: 0, or the number of the message to show with its argument.
struct PasswordVerdict {
  int message = 0;
  int number_argument = 0;    // 10212, 10213: the length
  std::string text_argument;  // 10214: the user name
  bool ok() const { return message == 0; }
};

// The rules for a new access password at the daemon's rule `level` (login reply flags bits
// 8-10). `old_password` is empty when the user chooses a password the daemon demands.
PasswordVerdict check_new_password(std::string_view old_password, std::string_view new_password,
                                   std::string_view repeated, std::string_view user, int level);

// The rule level carried by the login reply flags.
inline int password_rule_level(std::uint32_t reply_flags) {
  return static_cast<int>((reply_flags >> 8) & 7);
}

}  // namespace kovw::shell
