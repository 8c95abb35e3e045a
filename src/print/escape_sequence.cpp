#include "print/escape_sequence.h"

namespace kovw::print {

namespace {

bool is_letter(std::uint8_t b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}
bool is_command(std::uint8_t b) {
  return is_letter(b) || b == '&';
}
bool is_digit(std::uint8_t b) {
  return b >= '0' && b <= '9';
}

void skip_blanks(ByteCursor& in) {
  while (!in.at_end() && in.peek() == ' ') in.next();
}

EscapeParameter read_string(ByteCursor& in) {
  EscapeParameter p;
  p.kind = ParameterKind::String;
  in.next();  // the opening quote
  while (!in.at_end()) {
    const std::uint8_t b = in.next();
    if (b == '"') break;
    if (p.text.size() < kMaxStringParameter) p.text.push_back(static_cast<char>(b));
  }
  return p;
}

// Up to three fraction digits as thousandths; a fourth decides the rounding, the rest only
// end the number. Returns true when the fraction rounded up to a whole 1000.
bool read_fraction(ByteCursor& in, std::uint16_t& fraction, bool& any_digit) {
  int digits = 0;
  int thousandths = 0;
  bool round_up = false;
  while (!in.at_end() && is_digit(in.peek())) {
    const int d = in.next() - '0';
    any_digit = true;
    if (digits < 3) {
      thousandths = thousandths * 10 + d;
    } else if (digits == 3) {
      round_up = d >= 5;
    }
    ++digits;
  }
  if (digits == 1) thousandths *= 100;
  if (digits == 2) thousandths *= 10;
  if (round_up) ++thousandths;
  if (thousandths >= 1000) {
    fraction = 0;
    return true;
  }
  fraction = static_cast<std::uint16_t>(thousandths);
  return false;
}

EscapeParameter read_number(ByteCursor& in, const EscapeParameter& previous) {
  EscapeParameter p;
  if (!in.at_end() && (in.peek() == '+' || in.peek() == '-')) {
    p.kind = in.next() == '+' ? ParameterKind::Plus : ParameterKind::Minus;
  }
  bool any_digit = false;
  std::int32_t value = 0;
  while (!in.at_end() && is_digit(in.peek())) {
    const int d = in.next() - '0';
    any_digit = true;
    value = value > (kMaxParameterValue - d) / 10 ? kMaxParameterValue : value * 10 + d;
  }
  skip_blanks(in);
  std::uint16_t fraction = 0;
  if (!in.at_end() && (in.peek() == '.' || in.peek() == ',')) {
    in.next();
    if (read_fraction(in, fraction, any_digit) && value < kMaxParameterValue) ++value;
  }
  if (!any_digit) {
    // No digits: the value of the parameter before it stays.
    p.value = previous.kind == ParameterKind::String ? 0 : previous.value;
    p.fraction = previous.kind == ParameterKind::String ? 0 : previous.fraction;
    return p;
  }
  if (p.kind == ParameterKind::Absent) p.kind = ParameterKind::Number;
  p.value = value;
  p.fraction = fraction;
  return p;
}

}  // namespace

EscapeSequence read_escape_sequence(ByteCursor& in) {
  EscapeSequence sequence;
  skip_blanks(in);
  if (in.at_end()) return sequence;
  if (is_command(in.peek())) {
    sequence.command = static_cast<char>(in.next());
    return sequence;
  }
  EscapeParameter previous;
  int written = 0;
  while (!in.at_end()) {
    EscapeParameter p = in.peek() == '"' ? read_string(in) : read_number(in, previous);
    if (written < kMaxParameters) sequence.parameters[written++] = p;
    previous = std::move(p);
    skip_blanks(in);
    if (in.at_end()) break;
    const std::uint8_t b = in.peek();
    if (b == ';') {
      in.next();
      continue;
    }
    if (is_command(b)) {
      in.next();
      sequence.command = static_cast<char>(b);
    }
    break;
  }
  sequence.count = written;
  return sequence;
}

}  // namespace kovw::print
