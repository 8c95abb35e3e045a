#include "print/escape_sequence.h"

#include <gtest/gtest.h>

#include <string>

namespace kovw::print {
namespace {

struct Parsed {
  EscapeSequence sequence;
  std::size_t left;  // bytes not read
};

Parsed parse(const std::string& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  ByteCursor in({bytes, text.size()});
  Parsed p{read_escape_sequence(in), 0};
  p.left = in.remaining();
  return p;
}

struct NumberCase {
  const char* text;
  char command;
  ParameterKind kind;
  std::int32_t value;
  std::uint16_t fraction;
};

TEST(EscapeSequence, NumbersWithSignsAndFractions) {
  const NumberCase cases[] = {
      {"720X", 'X', ParameterKind::Number, 720, 0},
      {"+360X", 'X', ParameterKind::Plus, 360, 0},
      {"-10000X", 'X', ParameterKind::Minus, 10000, 0},
      {"1.5X", 'X', ParameterKind::Number, 1, 500},
      {"1.05X", 'X', ParameterKind::Number, 1, 50},
      {"1,2345X", 'X', ParameterKind::Number, 1, 235},
      {"1.2344X", 'X', ParameterKind::Number, 1, 234},
      {"0.9996Y", 'Y', ParameterKind::Number, 1, 0},
      {"12 .5V", 'V', ParameterKind::Number, 12, 500},
      {"  7 V", 'V', ParameterKind::Number, 7, 0},
      {".25L", 'L', ParameterKind::Number, 0, 250},
      {"123456789012X", 'X', ParameterKind::Number, kMaxParameterValue, 0},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.text);
    const Parsed p = parse(c.text);
    EXPECT_EQ(p.sequence.command, c.command);
    ASSERT_EQ(p.sequence.count, 1);
    EXPECT_EQ(p.sequence[0].kind, c.kind);
    EXPECT_EQ(p.sequence[0].value, c.value);
    EXPECT_EQ(p.sequence[0].fraction, c.fraction);
    EXPECT_EQ(p.left, 0u);
  }
  EXPECT_EQ(parse("1.5X").sequence[0].hundredths(), 150);
  EXPECT_EQ(parse("-2.25X").sequence[0].hundredths(), -225);
}

TEST(EscapeSequence, CommandWithoutParameters) {
  for (const char* text : {"E", "   E", "&"}) {
    const Parsed p = parse(text);
    EXPECT_EQ(p.sequence.count, 0) << text;
    EXPECT_NE(p.sequence.command, 0) << text;
  }
}

TEST(EscapeSequence, EmptyParameterKeepsThePreviousValueButIsAbsent) {
  const Parsed p = parse("10.5;;+;20m");
  EXPECT_EQ(p.sequence.command, 'm');
  ASSERT_EQ(p.sequence.count, 4);
  EXPECT_EQ(p.sequence[1].kind, ParameterKind::Absent);
  EXPECT_EQ(p.sequence[1].value, 10);
  EXPECT_EQ(p.sequence[1].fraction, 500);
  EXPECT_EQ(p.sequence[2].kind, ParameterKind::Plus);
  EXPECT_EQ(p.sequence[2].value, 10);
  EXPECT_EQ(p.sequence[3].value, 20);
  // The first empty parameter has nothing before it.
  const Parsed q = parse(";5l");
  EXPECT_FALSE(q.sequence[0].present());
  EXPECT_EQ(q.sequence[0].value, 0);
}

TEST(EscapeSequence, StringsAndTheirLimit) {
  const Parsed p = parse("1;\"Arial fett\";12F");
  ASSERT_EQ(p.sequence.count, 3);
  EXPECT_EQ(p.sequence[1].kind, ParameterKind::String);
  EXPECT_EQ(p.sequence[1].text, "Arial fett");
  EXPECT_EQ(p.sequence[2].value, 12);

  const Parsed long_string = parse("\"" + std::string(400, 'x') + "\"F");
  EXPECT_EQ(long_string.sequence.command, 'F');
  EXPECT_EQ(long_string.sequence[0].text.size(), kMaxStringParameter);

  const Parsed open = parse("\"never closed");
  EXPECT_EQ(open.sequence.command, 0);
  EXPECT_EQ(open.left, 0u);
}

TEST(EscapeSequence, AtMostSixParametersAreKept) {
  const Parsed p = parse("1;2;3;4;5;6;7;8a");
  EXPECT_EQ(p.sequence.command, 'a');
  EXPECT_EQ(p.sequence.count, kMaxParameters);
  EXPECT_EQ(p.sequence[5].value, 6);
}

TEST(EscapeSequence, AForeignByteEndsTheSequenceAndStaysUnread) {
  const Parsed p = parse("5?rest");
  EXPECT_EQ(p.sequence.command, 0);
  EXPECT_EQ(p.left, 5u);
  EXPECT_EQ(parse("").sequence.command, 0);
  EXPECT_EQ(parse("12").sequence.command, 0);
}

}  // namespace
}  // namespace kovw::print
