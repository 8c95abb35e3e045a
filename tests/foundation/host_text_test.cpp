#include "foundation/host_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kovw::foundation {
namespace {

using namespace std::string_literals;

// Converts into a field of `capacity` characters, initially filled with 'x'.
std::u16string to_wide(std::string_view source, std::size_t capacity, int flags,
                       std::size_t* count = nullptr) {
  std::u16string field(capacity, u'x');
  std::size_t n = host_to_wide(source, field, flags);
  if (count) *count = n;
  return field;
}

std::string to_host(std::u16string_view source, std::size_t capacity, int flags,
                    std::size_t* count = nullptr) {
  std::string field(capacity, 'x');
  std::size_t n = wide_to_host(source, field, flags);
  if (count) *count = n;
  return field;
}

TEST(HostText, AnsiAndMarkedUtf8GiveTheSameText) {
  EXPECT_EQ(host_to_wide("Stra\xDF"
                         "e"),
            u"Straße");
  EXPECT_EQ(host_to_wide("Stra\xC3\x9F"
                         "e\xA0"),
            u"Straße");
  EXPECT_EQ(host_to_wide("Stra\xC3\x9F"
                         "e"),
            u"Stra\u00C3\u0178e");  // ANSI without marker
  EXPECT_EQ(host_to_wide("Stra\xC3\x9F"
                         "e",
                         kTextUtf8),
            u"Straße");
  EXPECT_EQ(host_to_wide("\x80\x9F"), u"\u20AC\u0178");
  EXPECT_EQ(host_to_wide("ab\0\0"s), u"ab");                       // trailing zeros dropped
  EXPECT_EQ(host_to_wide("\xF0\x9F\x98\x80\xA0"), u"\U0001F600");  // surrogate pair
  EXPECT_EQ(host_to_wide("a\xC0\xAF"
                         "b\xED\xA0\x80\xA0"),
            u"a\uFFFD\uFFFDb\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(host_to_wide(""), u"");
  EXPECT_EQ(host_to_wide("\xA0"), u"");  // the marker of an empty UTF-8 text
}

TEST(HostText, FindsTheMarker) {
  struct Case {
    std::string source;
    long expected;
  };
  const Case cases[] = {
      {"abc\xA0", 3},
      {"abc\xA0 \r\n", 3},  // bytes below 0x21 may follow
      {"abc", -1},
      {"abc\xA0x", -1},
      {"", -1},
      {"\xA0", 0},
      {"\xC3\x9F\xA0", 2},      // a complete character before the marker
      {"\xE2\x80\xA0\xA0", 3},  // U+2020 and the marker
      {"x\xE2\x80\xA0", 4},     // U+2020 without marker: its last byte stays in the text
      {"x\xE2\x80\xA0\r", 4},
      {"\xF0\xA0", 1},      // 0xA0 cannot complete this sequence: it is the marker
      {"\x80\x80\xA0", 2},  // no lead byte at all
      {"a\x80\xA0", 2},     // a one-byte lead
  };
  for (const auto& c : cases) EXPECT_EQ(marked_text_length(c.source), c.expected) << c.source;
}

TEST(HostText, AUtf8TextEndingInA0WithoutMarkerStaysIntact) {
  EXPECT_EQ(host_to_wide("x\xE2\x80\xA0"), u"x\u2020");
  EXPECT_EQ(host_to_wide("x\xE2\x80\xA0\xA0"), u"x\u2020");
  // The last byte of the field is never passed over.
  EXPECT_EQ(host_to_wide("x\xF0\xA0"), u"x\uFFFD");
  std::u16string field(8, u'x');
  std::string bytes = "\xE2\x80\xA0";
  EXPECT_EQ(host_to_wide(std::string_view(bytes.data(), 2), field, 0), 2u);  // E2 80 as ANSI
  EXPECT_EQ(field.substr(0, 2), u"\u00E2\u20AC");
}

TEST(HostText, MarkerBehindControlBytes) {
  // With flag 4 trailing blanks and control bytes are dropped first.
  EXPECT_EQ(host_to_wide("Stra\xC3\x9F"
                         "e\xA0  \r",
                         kTextTrimBlanks),
            u"Straße");
  // Flag 0x10 looks behind bytes below 0x20, not behind a blank.
  EXPECT_EQ(host_to_wide("\xC3\x9F\xA0\r\n", kTextMarker), u"ß");
  EXPECT_EQ(host_to_wide("\xC3\x9F\xA0 ", kTextMarker), u"\u00C3\u0178\u00A0 ");
  EXPECT_EQ(host_to_wide("\xC3\x9F\xA0\r"), u"\u00C3\u0178\u00A0\r");
}

TEST(HostText, HostToWideFillsTheFieldAsTheFlagsSay) {
  std::size_t n = 0;
  EXPECT_EQ(to_wide("ab", 10, kTextPad, &n), u"ab        ");
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(to_wide("ab", 10, kTextPad | kTextTerminate, &n), u"ab       \0"s);
  EXPECT_EQ(n, 9u);
  EXPECT_EQ(to_wide("ab", 4, kTextTerminate, &n), u"ab\0x"s);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(to_wide("abcdef", 3, 0, &n), u"abc");
  EXPECT_EQ(to_wide("abcdef", 3, kTextTerminate, &n), u"ab\0"s);
  EXPECT_EQ(n, 2u);
  to_wide("ab  \xA0", 4, kTextTrimBlanks, &n);  // blanks of the result are dropped
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(to_wide("a\xF0\x9F\x98\x80\xA0", 2, 0, &n), u"ax");  // a pair is never split
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(to_wide("", 3, kTextTerminate | kTextPad, &n), u"\0xx"s);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(to_wide("abc", 0, kTextTerminate | kTextPad, &n), u"");
  EXPECT_EQ(n, 0u);
}

TEST(HostText, WideToHost) {
  std::size_t n = 0;
  EXPECT_EQ(wide_to_host(u"Straße"),
            "Stra\xDF"
            "e");
  EXPECT_EQ(wide_to_host(u"Straße", kTextUtf8),
            "Stra\xC3\x9F"
            "e");
  EXPECT_EQ(wide_to_host(u"Straße", kTextMarker),
            "Stra\xC3\x9F"
            "e\xA0");
  EXPECT_EQ(wide_to_host(u"", kTextMarker), "\xA0");
  EXPECT_EQ(wide_to_host(u"\u20AC\u2713\U0001F600"), "\x80??");  // lacking in the code page
  EXPECT_EQ(wide_to_host(u"a\xD800"
                         "b"s,
                         kTextUtf8),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(wide_to_host(u"\U0001F600", kTextUtf8), "\xF0\x9F\x98\x80");
  EXPECT_EQ(wide_to_host(u"ab  ", kTextTrimBlanks), "ab");

  EXPECT_EQ(to_host(u"ab", 10, kTextPad, &n), "ab        ");
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(to_host(u"ab", 10, kTextPad | kTextTerminate | kTextMarker, &n), "ab      \xA0\0"s);
  EXPECT_EQ(n, 9u);
  EXPECT_EQ(to_host(u"aß", 2, kTextUtf8, &n), "ax");         // a sequence is never split
  EXPECT_EQ(to_host(u"abc", 3, kTextMarker, &n), "ab\xA0");  // the marker always fits
  EXPECT_EQ(to_host(u"abc", 3, kTextTerminate, &n), "ab\0"s);
  EXPECT_EQ(to_host(u"ab  ", 5, kTextTrimBlanks | kTextTerminate, &n), "ab\0 x"s);
  EXPECT_EQ(n, 2u);
}

TEST(HostText, EveryAnsiByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  all.push_back('x');  // so that the string does not end with the marker byte
  EXPECT_EQ(wide_to_host(host_to_wide(all)), all);
  EXPECT_EQ(host_to_wide(wide_to_host(host_to_wide(all), kTextMarker)), host_to_wide(all));
}

TEST(HostText, CopyField) {
  struct Case {
    std::string source;
    std::size_t capacity;
    std::string expected;
  };
  const Case cases[] = {
      {"abc   ", 10, "abc"}, {"abcdef", 4, "abc"}, {"ab \0 cd"s, 10, "ab"}, {"ab\0\0\0"s, 10, "ab"},
      {"   ", 10, ""},       {"", 10, ""},         {"abc", 1, ""},
  };
  for (const auto& c : cases) {
    std::string field(c.capacity, 'x');
    std::size_t n = copy_field(field, c.source);
    EXPECT_EQ(n, c.expected.size()) << c.source;
    EXPECT_EQ(field.substr(0, n + 1), c.expected + '\0') << c.source;
    EXPECT_EQ(copy_field(c.source, c.capacity), c.expected);
  }
  std::span<char> empty;
  EXPECT_EQ(copy_field(empty, "abc"), 0u);
}

}  // namespace
}  // namespace kovw::foundation
