#include "shell/password_rules.h"

#include <algorithm>
#include <cctype>

namespace kovw::shell {

std::string to_latin9(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case 0x20AC:
        out += '\xA4';
        continue;
      case 0x0160:
        out += '\xA6';
        continue;
      case 0x0161:
        out += '\xA8';
        continue;
      case 0x017D:
        out += '\xB4';
        continue;
      case 0x017E:
        out += '\xB8';
        continue;
      case 0x0152:
        out += '\xBC';
        continue;
      case 0x0153:
        out += '\xBD';
        continue;
      case 0x0178:
        out += '\xBE';
        continue;
      default:
        break;
    }
    // The eight places that ISO 8859-15 gives to other characters hold nothing of Latin-1.
    const bool replaced =
        c == 0xA4 || c == 0xA6 || c == 0xA8 || c == 0xB4 || c == 0xB8 || (c >= 0xBC && c <= 0xBE);
    out += (c <= 0xFF && !replaced) ? static_cast<char>(c) : '?';
  }
  return out;
}

bool is_latin9_letter(std::uint8_t b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
  switch (b) {
    case 0xA6:
    case 0xA8:
    case 0xAA:
    case 0xB4:
    case 0xB5:
    case 0xB8:
    case 0xBA:
    case 0xBC:
    case 0xBD:
    case 0xBE:
      return true;
    default:
      break;
  }
  return b >= 0xC0 && b != 0xD7 && b != 0xF7;
}

bool is_latin9_special(std::uint8_t b) {
  return !is_latin9_letter(b) && !(b >= '0' && b <= '9') && b != ' ' && b != '\t';
}

int check_login_password(std::string_view latin9) {
  return latin9.size() > static_cast<std::size_t>(kLoginPasswordMax) ? 10099 : 0;
}

namespace {

bool contains_ignoring_case(std::string_view text, std::string_view part) {
  if (part.empty() || part.size() > text.size()) return false;
  auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

}  // namespace

PasswordVerdict check_new_password(std::string_view old_password, std::string_view new_password,
                                   std::string_view repeated, std::string_view user, int level) {
  PasswordVerdict v;
  if (new_password != repeated) {
    v.message = 10211;
    return v;
  }
  if (!old_password.empty() && old_password == new_password) {
    v.message = 10218;
    return v;
  }
  // The message carries 16 bytes: a longer password is refused at every level, as it would
  // otherwise be cut and the user could not log in with what was typed.
  if (new_password.size() > static_cast<std::size_t>(kAccessPasswordMax)) {
    v.message = 10212;
    v.number_argument = kAccessPasswordMax;
    return v;
  }
  if (level < 1) return v;
  const int minimum = level >= 3 ? 8 : 6;
  if (new_password.size() < static_cast<std::size_t>(minimum)) {
    v.message = 10213;
    v.number_argument = minimum;
    return v;
  }
  if (level < 2) return v;
  const auto bytes = [&](auto test) {
    return std::any_of(new_password.begin(), new_password.end(),
                       [&](char c) { return test(static_cast<std::uint8_t>(c)); });
  };
  const bool digit = bytes([](std::uint8_t b) { return b >= '0' && b <= '9'; });
  const bool special = bytes(is_latin9_special);
  if (contains_ignoring_case(new_password, user)) {
    v.message = 10214;
    v.text_argument = std::string(user);
    return v;
  }
  if (!digit && !special) {
    v.message = 10217;
    return v;
  }
  if (level < 3) return v;
  if (!special) {
    v.message = 10215;
    return v;
  }
  if (!digit) v.message = 10216;
  return v;
}

}  // namespace kovw::shell
