#pragma once
// The escape sequences of the print language: after the escape byte, blanks are skipped; a
// letter (or '&') right away is a command without parameters; otherwise up to six parameters
// follow, separated by ';', and the first letter after a parameter is the command.
//
// A parameter is a double-quoted string, or an optional sign, digits, optional blanks and an
// optional fraction after '.' or ','. Fractions are kept in thousandths: one or two digits are
// scaled (.5 is 500), three are taken as they are, more are rounded. A parameter without
// digits keeps the value of the one before it (the first: 0); it counts as absent unless it
// has a sign.

#include <array>
#include <cstdint>
#include <string>

#include "print/byte_cursor.h"

namespace kovw::print {

inline constexpr int kMaxParameters = 6;
// Longest string parameter kept; longer ones are read to their closing quote and cut.
inline constexpr std::size_t kMaxStringParameter = 255;
// Integer parts are held up to this value; more digits do not raise it.
inline constexpr std::int32_t kMaxParameterValue = 99'999'999;

enum class ParameterKind : std::uint8_t { Absent, Number, Plus, Minus, String };

struct EscapeParameter {
  ParameterKind kind = ParameterKind::Absent;
  std::uint16_t fraction = 0;  // thousandths, 0 to 999
  std::int32_t value = 0;      // the integer part, without its sign
  std::string text;            // kind String

  bool present() const { return kind != ParameterKind::Absent; }
  bool relative() const { return kind == ParameterKind::Plus || kind == ParameterKind::Minus; }
  // The value in hundredths, value × 100 + (fraction + 5) / 10, negative for '-'.
  std::int64_t hundredths() const {
    const std::int64_t magnitude = std::int64_t{value} * 100 + (fraction + 5) / 10;
    return kind == ParameterKind::Minus ? -magnitude : magnitude;
  }
  // The integer part with its sign.
  std::int64_t integer() const { return kind == ParameterKind::Minus ? -value : value; }
};

struct EscapeSequence {
  char command = 0;  // 0: the sequence ended without a command letter
  int count = 0;     // parameters written, empty ones included (at most kMaxParameters)
  std::array<EscapeParameter, kMaxParameters> parameters;

  const EscapeParameter& operator[](int index) const { return parameters[index]; }
};

// Reads one escape sequence; `in` stands after the escape byte. A byte that is neither a
// separator nor a command letter after a parameter ends the sequence without a command and
// is left unread, so that it prints as text.
EscapeSequence read_escape_sequence(ByteCursor& in);

}  // namespace kovw::print
