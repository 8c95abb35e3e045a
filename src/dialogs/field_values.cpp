#include "dialogs/field_values.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/field_request.h"

namespace kovw::dialogs {

namespace {

std::u16string trimmed(std::u16string_view text) {
  std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  std::size_t last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}

bool is_digit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Splits "12.3.2026" at its separators, or "120326" into pairs and a year of the remaining
// digits, first when `year_first`, else last.
std::optional<std::vector<int>> parts_of(std::u16string_view text, int parts_wanted,
                                         bool year_first = false) {
  std::vector<int> parts;
  bool separated = false;
  for (char16_t c : text)
    if (!is_digit(c)) separated = true;
  if (separated) {
    int value = -1;
    for (char16_t c : text) {
      if (is_digit(c)) {
        value = (value < 0 ? 0 : value) * 10 + (c - u'0');
        if (value > 9999) return std::nullopt;
      } else if (c == u'.' || c == u':' || c == u'/' || c == u'-') {
        if (value < 0) return std::nullopt;
        parts.push_back(value);
        value = -1;
      } else {
        return std::nullopt;
      }
    }
    if (value >= 0) parts.push_back(value);
  } else {
    // Digits only: pairs, and the rest (a year of up to four digits) in the year's place.
    std::vector<std::size_t> widths;
    std::size_t left = text.size();
    for (int i = 0; i < parts_wanted && left > 0; ++i) {
      const bool year_here = i == (year_first && text.size() > 4 ? 0 : parts_wanted - 1);
      const std::size_t width = year_here
                                    ? (year_first ? text.size() - 2 * (parts_wanted - 1) : left)
                                    : std::min<std::size_t>(2, left);
      if (width == 0 || width > 4 || width > left) return std::nullopt;
      widths.push_back(width);
      left -= width;
    }
    if (left != 0) return std::nullopt;
    std::size_t at = 0;
    for (std::size_t width : widths) {
      int value = 0;
      for (std::size_t k = 0; k < width; ++k) value = value * 10 + (text[at + k] - u'0');
      parts.push_back(value);
      at += width;
    }
  }
  if (parts.empty() || static_cast<int>(parts.size()) > parts_wanted) return std::nullopt;
  return parts;
}

std::u16string two(int value) {
  std::u16string text;
  text += static_cast<char16_t>(u'0' + value / 10 % 10);
  text += static_cast<char16_t>(u'0' + value % 10);
  return text;
}

std::u16string digits(long long value, int width) {
  std::u16string text;
  const bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                          : static_cast<unsigned long long>(value);
  do {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  const int room = width - (negative ? 1 : 0);
  if (static_cast<int>(text.size()) < room) text.insert(0, room - text.size(), u'0');
  if (negative) text.insert(text.begin(), u'-');
  return text;
}

// The years a date may have; outside them a calculation's result is an error.
constexpr long long kFirstDay = -719162;  // 1 January 0001
constexpr long long kLastDay = 2932896;   // 31 December 9999

// A date in the order of `style` as days since 1970-01-01; the current year when none is
// typed, 20yy for two digits.
std::optional<long long> day_number(std::u16string_view text, const DateStyle& style) {
  using Order = DateStyle::Order;
  const bool year_first = style.order == Order::YearMonthDay;
  const auto parts = parts_of(text, 3, year_first);
  if (!parts || parts->size() < 2) return std::nullopt;
  int day = 0, month = 0, year = 0;
  if (parts->size() == 3) {
    const std::vector<int>& p = *parts;
    switch (style.order) {
      case Order::DayMonthYear:
        day = p[0], month = p[1], year = p[2];
        break;
      case Order::MonthDayYear:
        month = p[0], day = p[1], year = p[2];
        break;
      case Order::YearMonthDay:
        year = p[0], month = p[1], day = p[2];
        break;
    }
    if (year < 100) year += 2000;
  } else {
    // No year: day and month in the order the style writes them.
    const bool month_first = style.order != Order::DayMonthYear;
    month = (*parts)[month_first ? 0 : 1];
    day = (*parts)[month_first ? 1 : 0];
    const auto today = std::chrono::year_month_day(
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
    year = static_cast<int>(today.year());
  }
  if (year < 1) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(year),
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days(date).time_since_epoch().count();
}

std::optional<std::u16string> format_date(long long days, int length, const DateStyle& style) {
  using Order = DateStyle::Order;
  if (days < kFirstDay || days > kLastDay) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(days))};
  const int year = static_cast<int>(date.year());
  const std::u16string d = two(static_cast<int>(static_cast<unsigned>(date.day())));
  const std::u16string m = two(static_cast<int>(static_cast<unsigned>(date.month())));
  const std::u16string y = length >= 10 ? digits(year, 4) : two(year % 100);
  const std::u16string sep(1, style.date_separator);
  switch (style.order) {
    case Order::MonthDayYear:
      return m + sep + d + sep + y;
    case Order::YearMonthDay:
      return y + sep + m + sep + d;
    case Order::DayMonthYear:
      break;
  }
  return d + sep + m + sep + y;
}

// A time as minutes (and seconds) of the day.
std::optional<long long> second_of_day(std::u16string_view text) {
  const auto parts = parts_of(text, 3);
  if (!parts) return std::nullopt;
  const int hours = (*parts)[0];
  const int minutes = parts->size() > 1 ? (*parts)[1] : 0;
  const int seconds = parts->size() > 2 ? (*parts)[2] : 0;
  if (hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
  return hours * 3600LL + minutes * 60LL + seconds;
}

std::u16string format_time(long long seconds, int length, char16_t separator) {
  seconds = ((seconds % 86400) + 86400) % 86400;
  const std::u16string sep(1, separator);
  std::u16string text =
      two(static_cast<int>(seconds / 3600)) + sep + two(static_cast<int>(seconds / 60 % 60));
  if (length >= 8) text += sep + two(static_cast<int>(seconds % 60));
  return text;
}

}  // namespace

std::optional<std::u16string> display_date(std::u16string_view host_text, int length,
                                           const DateStyle& style) {
  const auto days = day_number(trimmed(host_text), DateStyle{});
  if (!days) return std::nullopt;
  return format_date(*days, length, style);
}

std::optional<std::u16string> display_time(std::u16string_view host_text, int length,
                                           const DateStyle& style) {
  const auto seconds = second_of_day(trimmed(host_text));
  if (!seconds) return std::nullopt;
  return format_time(*seconds, length, style.time_separator);
}

std::optional<std::u16string> normalise_date(std::u16string_view text, int length,
                                             const DateStyle& style) {
  const auto days = day_number(trimmed(text), style);
  if (!days) return std::nullopt;
  return format_date(*days, length, DateStyle{});
}

std::optional<std::u16string> normalise_time(std::u16string_view text, int length) {
  const auto seconds = second_of_day(trimmed(text));
  if (!seconds) return std::nullopt;
  return format_time(*seconds, length, u':');
}

std::optional<std::u16string> evaluate_calculation(std::u16string_view text, int classes,
                                                   int length, const DateStyle& style) {
  // Far beyond any date, time or field of digits, and far from overflowing a sum.
  constexpr long long kLimit = 1'000'000'000'000'000'000LL;
  const std::u16string expression = trimmed(text);
  if (expression.empty()) return std::nullopt;
  // Terms between "+" and "-" signs, each a number, a date or a time.
  long long total = 0;
  bool saw_date = false, saw_time = false;
  std::size_t at = 0;
  int sign = 1;
  while (at <= expression.size()) {
    std::size_t end = at;
    while (end < expression.size() && expression[end] != u'+' && expression[end] != u'-') ++end;
    const std::u16string term = trimmed(std::u16string_view(expression).substr(at, end - at));
    if (term.empty()) {
      if (at == 0 && end < expression.size() && expression[end] == u'-') {
        sign = -1;  // a leading minus
        at = end + 1;
        continue;
      }
      return std::nullopt;
    }
    long long value = 0;
    const bool plain = std::all_of(term.begin(), term.end(), is_digit);
    if (plain && term.size() <= 15) {
      for (char16_t c : term) value = value * 10 + (c - u'0');
      if (classes & kClassDate)
        value *= 1440;  // days
      else if (classes & kClassTime)
        value *= 1;  // minutes
    } else if ((classes & kClassDate) && term.find_first_of(u"./") != std::u16string::npos) {
      const auto days = day_number(term, style);
      if (!days) return std::nullopt;
      value = *days * 1440;
      saw_date = true;
    } else if (term.find(u':') != std::u16string::npos ||
               ((classes & kClassTime) && term.find(u'.') != std::u16string::npos)) {
      const auto seconds = second_of_day(term);
      if (!seconds) return std::nullopt;
      value = *seconds / 60;
      saw_time = true;
    } else {
      return std::nullopt;
    }
    total += sign * value;
    if (total > kLimit || total < -kLimit) return std::nullopt;
    if (end >= expression.size()) break;
    sign = expression[end] == u'-' ? -1 : 1;
    at = end + 1;
  }
  if (saw_date && saw_time) return std::nullopt;
  if (classes & kClassDate) return format_date(total / 1440, length, style);
  if (classes & kClassTime) return format_time(total * 60, length, style.time_separator);
  // Numbers: right-aligned, leading blanks become zeros.
  std::u16string result = digits(total, length);
  if (static_cast<int>(result.size()) > length) return std::nullopt;  // does not fit
  return result;
}

}  // namespace kovw::dialogs
