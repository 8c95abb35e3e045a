// The editing of an input field: keys in, the field's text, cursor and exit key, and the reply
// contents byte for byte.

#include "dialogs/field_editor.h"

#include <gtest/gtest.h>

#include <cstring>

#include "dialogs/field_values.h"
#include "net/stored_cipher.h"

namespace kovw::dialogs {
namespace {

FieldRequest field(int length, std::uint8_t type = 'X') {
  FieldRequest request;
  request.length = static_cast<std::int16_t>(length);
  request.row = 3;
  request.column = 10;
  request.type_letter = type;
  return request;
}

std::string contents(const FieldEditor& editor, int* length = nullptr) {
  return editor.reply_contents(0, length);
}

TEST(FieldEditorTest, TheRecordDecodesLittleEndian) {
  const std::uint8_t bytes[20] = {1, 0, 2, 0, 5, 0, 10, 0, 0x10, 0,
                                  0, 0, 1, 0, 4, 1, 7,  8, 0x14, 'D'};
  const auto request = decode_field_request(bytes);
  ASSERT_TRUE(request);
  EXPECT_EQ(2, request->cursor);
  EXPECT_EQ(5, request->row);
  EXPECT_EQ(10, request->column);
  EXPECT_EQ(16, request->length);
  EXPECT_EQ(16, request->shown_width());
  const std::uint32_t flags = control_flags(*request);
  EXPECT_EQ(kFieldHidden | kFieldCapitals | kFieldCalculations | kFieldHiddenPreset | kFieldUtf8,
            flags);
  EXPECT_FALSE(decode_field_request(std::span<const std::uint8_t>(bytes, 19)));
  // An oversized or negative length never makes a buffer larger than a field holds.
  FieldRequest huge = field(32767);
  EXPECT_EQ(kMaxFieldLength, huge.capacity());
  EXPECT_EQ(0, field(-5).capacity());
}

TEST(FieldEditorTest, ExitsLeftRightAndWhenFull) {
  FieldEditor full(field(5), u"", 0);
  for (char16_t c : std::u16string(u"abcd")) EXPECT_FALSE(full.type(c).left);
  const FieldStep last = full.type(u'e');
  EXPECT_TRUE(last.left);
  EXPECT_EQ(kExitFull, last.exit_key);
  EXPECT_EQ("abcde", contents(full));

  FieldEditor edges(field(3), u"xyz", 0);
  EXPECT_EQ(kExitLeft, edges.key(kKeyFieldLeft).exit_key);
  FieldEditor right(field(3), u"xyz", 0);
  EXPECT_FALSE(right.key(kKeyFieldRight).left);
  EXPECT_FALSE(right.key(kKeyFieldRight).left);
  const FieldStep out = right.key(kKeyFieldRight);
  EXPECT_TRUE(out.left);
  EXPECT_EQ(kExitRight, out.exit_key);
  // Any other host key leaves with itself; the contents are blank-padded to the length.
  FieldEditor enter(field(6), u"ab", 0);
  EXPECT_EQ(2, enter.key(2).exit_key);
  EXPECT_EQ("ab    ", contents(enter));
}

TEST(FieldEditorTest, SmartEditInsertAndDelete) {
  // With "Smart Edit Text" the first letter at position 0 replaces the preset; without it, it
  // overwrites one character.
  FieldEditor smart(field(6), u"Meyer", kSmartEditText);
  smart.type(u'K');
  EXPECT_EQ(u"K     ", smart.text());
  FieldEditor plain(field(6), u"Meyer", kSmartEditNumeric);
  plain.type(u'K');
  EXPECT_EQ(u"Keyer ", plain.text());
  // Insert mode moves the rest right (the last character drops off); delete and backspace
  // close the gap.
  plain.key(kKeyFieldInsert);
  plain.type(u'l');
  EXPECT_EQ(u"Kleyer", plain.text());
  plain.key(kKeyFieldBackspace);
  EXPECT_EQ(u"Keyer ", plain.text());
  EXPECT_EQ(1, plain.cursor());
  plain.key(kKeyFieldDelete);
  EXPECT_EQ(u"Kyer  ", plain.text());
  // Key 3 blanks from the cursor and leaves with 3.
  EXPECT_EQ(3, plain.key(kKeyFieldClearRest).exit_key);
  EXPECT_EQ("K     ", contents(plain));
}

TEST(FieldEditorTest, CaseRules) {
  FieldRequest upper = field(4);
  upper.case_rule = 1;
  FieldEditor capitals(upper, u"", 0);
  capitals.type(u'a');
  capitals.type(0xE4);  // a with diaeresis
  EXPECT_EQ(u"A\u00C4  ", capitals.text());
  FieldRequest words = field(4);
  words.case_rule = 2;
  FieldEditor word(words, u"", 0);
  const FieldStep minus = word.type(u'-');
  EXPECT_TRUE(minus.beep);
  EXPECT_EQ(u"    ", word.text());
  EXPECT_EQ(0, word.cursor());
  EXPECT_FALSE(word.type(u'_').beep);
}

TEST(FieldEditorTest, HiddenPresetRoundTrip) {
  FieldRequest request = field(8);
  request.hidden = 4;
  // Untouched: every position shows "*", and the preset goes back unchanged, blank-padded.
  FieldEditor untouched(request, u"abc", 0);
  EXPECT_EQ(u"********", untouched.shown_text());
  EXPECT_EQ(2, untouched.key(2).exit_key);
  EXPECT_EQ("abc     ", contents(untouched));
  // Typing clears the field first; the reply is the typed text with zero bytes, enciphered.
  FieldEditor typed(request, u"abc", 0);
  typed.type(u'x');
  EXPECT_EQ(u"*       ", typed.shown_text());
  typed.key(2);
  std::string expected("x\0\0\0\0\0\0\0", 8);
  net::stored_encipher(reinterpret_cast<std::uint8_t*>(expected.data()), nullptr, 8);
  EXPECT_EQ(expected, contents(typed));
  // A length the cipher cannot take never sends the password in the clear.
  request.length = 5;
  FieldEditor odd(request, u"", 0);
  odd.type(u's');
  odd.key(2);
  EXPECT_EQ(std::string(5, '\0'), contents(odd));
}

TEST(FieldEditorTest, Utf8FieldsReplyInUtf8PaddedToTheLength) {
  FieldRequest request = field(4);
  request.request_flags = kRequestUtf8;
  FieldEditor editor(request, u"", 0);
  editor.type(0xE4);
  editor.type(u'b');
  editor.key(2);
  EXPECT_EQ("\xC3\xA4\x62\x20", contents(editor));
  // In the code page the same field is two letters and two blanks.
  FieldEditor ansi(field(4), u"", 0);
  ansi.type(0xE4);
  ansi.type(u'b');
  EXPECT_EQ(
      "\xE4"
      "b  ",
      contents(ansi));
}

TEST(FieldEditorTest, Calculations) {
  FieldEditor sum(field(5, 'N'), u"", 0);
  for (char16_t c : std::u16string(u"=12+30")) sum.type(c);  // longer than the field
  const FieldStep done = sum.key(2);
  EXPECT_TRUE(done.left);
  EXPECT_EQ("00042", contents(sum));
  // A bad calculation keeps the user in the field.
  FieldEditor bad(field(5, 'N'), u"", 0);
  for (char16_t c : std::u16string(u"=12+x")) bad.type(c);
  const FieldStep stay = bad.key(2);
  EXPECT_FALSE(stay.left);
  EXPECT_TRUE(stay.beep);
  // Dates count in days, times in minutes; a date and a time together are an error.
  EXPECT_EQ(u"03.01.2026", evaluate_calculation(u"31.12.2025+3", kClassNumeric | kClassDate, 10));
  EXPECT_EQ(u"10:15", evaluate_calculation(u"9:45+30", kClassNumeric | kClassTime, 5));
  EXPECT_FALSE(evaluate_calculation(u"1.1.2026+9:00", kClassNumeric | kClassDate, 10));
}

TEST(FieldEditorTest, DatesAndTimesGoToTheHostInItsFixedForm) {
  struct Case {
    const char16_t* typed;
    int length;
    const char16_t* date;
  };
  for (const Case& c : {Case{u"1.2.26", 10, u"01.02.2026"}, Case{u"01022026", 10, u"01.02.2026"},
                        Case{u"1.2.2026", 8, u"01.02.26"}}) {
    EXPECT_EQ(c.date, normalise_date(c.typed, c.length)) << c.length;
  }
  EXPECT_FALSE(normalise_date(u"31.2.2026", 10));
  EXPECT_EQ(u"09:05", normalise_time(u"9:5", 5));
  EXPECT_EQ(u"09:05:30", normalise_time(u"9.05.30", 8));
  EXPECT_FALSE(normalise_time(u"25:00", 5));
  FieldEditor date(field(10, 'D'), u"", 0);
  for (char16_t c : std::u16string(u"3.4.26")) date.type(c);
  date.key(2);
  int length = 0;
  EXPECT_EQ("03.04.2026", contents(date, &length));
  EXPECT_EQ(10, length);
}

TEST(FieldEditorTest, ClicksMoveTheCursorOrLeave) {
  FieldEditor editor(field(8), u"abcdefgh", 0);
  EXPECT_FALSE(editor.click(13, 3, 1).left);
  EXPECT_EQ(3, editor.cursor());
  const FieldStep away = editor.click(2, 7, 1);
  EXPECT_TRUE(away.left);
  EXPECT_EQ(kExitClick, away.exit_key);
  EXPECT_EQ(2, editor.mouse_column());
  EXPECT_EQ(7, editor.mouse_row());
  EXPECT_EQ(3, editor.mouse_info());
}

}  // namespace
}  // namespace kovw::dialogs

namespace kovw::dialogs {
namespace {

TEST(FieldValuesTest, DatesShowInTheUsersOrderAndGoBackInTheHostsForm) {
  using Order = DateStyle::Order;
  struct Case {
    DateStyle style;
    const char16_t* shown;  // the host's "02.01.2026" as the user sees it
    const char16_t* typed;
  };
  for (const Case& c : {Case{{Order::MonthDayYear, u'/', u':'}, u"01/02/2026", u"1/2/26"},
                        Case{{Order::YearMonthDay, u'-', u':'}, u"2026-01-02", u"20260102"},
                        Case{{Order::DayMonthYear, u'.', u':'}, u"02.01.2026", u"2.1.2026"}}) {
    EXPECT_EQ(c.shown, display_date(u"02.01.2026", 10, c.style));
    EXPECT_EQ(u"02.01.2026", normalise_date(c.typed, 10, c.style));
  }
  const DateStyle us{Order::MonthDayYear, u'/', u':'};
  EXPECT_EQ(u"01/03/2026",
            evaluate_calculation(u"12/31/2025+3", kClassNumeric | kClassDate, 10, us));
  // Sums far beyond any date are refused, not overflowed.
  EXPECT_FALSE(
      evaluate_calculation(u"999999999999999+999999999999999", kClassNumeric | kClassDate, 10));
}

}  // namespace
}  // namespace kovw::dialogs
