// The password rules: the login password's length and the rules by level for a new access
// password, with ISO 8859-15 letters and the bytes 0x80-0x9F as special characters.
#include "shell/password_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace kovw::shell {
namespace {

TEST(PasswordRules, LoginPasswordTakesThirtyCharactersAndRefusesThirtyOne) {
  EXPECT_EQ(check_login_password(""), 0);
  EXPECT_EQ(check_login_password(std::string(30, 'x')), 0);
  EXPECT_EQ(check_login_password(std::string(31, 'x')), 10099);
}

struct RuleCase {
  const char* name;
  std::string old_password, new_password, repeated;
  int level;
  int message;
  int number = 0;
};

class NewPasswordRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(NewPasswordRules, GiveTheMessageOfTheFirstBrokenRule) {
  const RuleCase& c = GetParam();
  const std::string repeated = c.repeated.empty() ? c.new_password : c.repeated;
  const PasswordVerdict v =
      check_new_password(c.old_password, c.new_password, repeated, "anna", c.level);
  EXPECT_EQ(v.message, c.message);
  if (c.message == 10212 || c.message == 10213) {
    EXPECT_EQ(v.number_argument, c.number);
  }
  if (c.message == 10214) {
    EXPECT_EQ(v.text_argument, "anna");
  }
}

// "\xE4" is a-umlaut, "\xA6" S-caron, "\x85" a byte 0x80-0x9F.
INSTANTIATE_TEST_SUITE_P(
    ByLevel, NewPasswordRules,
    ::testing::Values(
        RuleCase{"Mismatch", "", "abcdef", "abcdeg", 0, 10211},
        RuleCase{"SameAsOld", "abcdef1!", "abcdef1!", "", 3, 10218},
        RuleCase{"Level0AnyShort", "", "ab", "", 0, 0},
        RuleCase{"Level0SixteenAccepted", "", std::string(16, 'a'), "", 0, 0},
        RuleCase{"Level0SeventeenRefused", "", std::string(17, 'a'), "", 0, 10212, 16},
        RuleCase{"Level1SeventeenRefused", "", std::string(17, 'a'), "", 1, 10212, 16},
        RuleCase{"Level1FiveTooShort", "", "abcde", "", 1, 10213, 6},
        RuleCase{"Level1SixLetters", "", "abcdef", "", 1, 0},
        RuleCase{"Level2UserName", "", "xANNAx1", "", 2, 10214},
        RuleCase{"Level2LettersOnly", "", "abcdefg", "", 2, 10217},
        RuleCase{"Level2UmlautIsNoSpecial", "", "abcdef\xE4", "", 2, 10217},
        RuleCase{"Level2DigitEnough", "", "abcdef1", "", 2, 0},
        RuleCase{"Level2SpecialEnough", "", "abcdef!", "", 2, 0},
        RuleCase{"Level2ControlByteIsSpecial", "", "abcdef\x85", "", 2, 0},
        RuleCase{"Level3SevenTooShort", "", "abcd1!x", "", 3, 10213, 8},
        RuleCase{"Level3SevenLettersAndDigit", "", "abcdefg1", "", 3, 10215},
        RuleCase{"Level3UmlautsAndDigit", "", "\xE4\xF6\xFC\xA6xyz1", "", 3, 10215},
        RuleCase{"Level3NoDigit", "", "abcdefg!", "", 3, 10216},
        RuleCase{"Level3BlankIsNoSpecial", "", "abc efg1", "", 3, 10215},
        RuleCase{"Level3All", "", "abcdef1!", "", 3, 0},
        RuleCase{"Level3ControlByteAndDigit", "", "abcdef1\x9F", "", 3, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PasswordRules, Latin9ConversionAndClasses) {
  EXPECT_EQ(to_latin9(u"a\u00E4\u20AC\u0160\u4E2D"), "a\xE4\xA4\xA6?");
  EXPECT_EQ(to_latin9(u"\u00A4"), "?");  // the Latin-1 currency sign has no place in 8859-15
  EXPECT_TRUE(is_latin9_letter(0xDF));   // sharp s
  EXPECT_TRUE(is_latin9_letter(0xBD));   // oe
  EXPECT_FALSE(is_latin9_letter(0xD7));  // multiplication sign
  EXPECT_TRUE(is_latin9_special(0xD7));
  EXPECT_TRUE(is_latin9_special(0x80));
  EXPECT_FALSE(is_latin9_special('\t'));
  EXPECT_FALSE(is_latin9_special('7'));
  EXPECT_EQ(password_rule_level(0x0320), 3);
}

}  // namespace
}  // namespace kovw::shell
