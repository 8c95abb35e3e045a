#pragma once
// The values of date, time and numeric fields as the host reads them: dates go to the host as
// DD.MM.YYYY (DD.MM.YY in fields of fewer than ten characters), times as HH:MM (HH:MM:SS in
// fields of eight or more), numbers as decimal digits right-aligned with leading zeros. These
// fixed forms are the same whatever the user's locale, so the host never has to guess.
//
// The user sees and types dates in the order and with the separator of their locale
// (MM/DD/YYYY, YYYY-MM-DD, ...) and times with the locale's separator, always on the 24-hour
// clock: each of these forms has exactly the width of the host's, so the field keeps its cells
// and the host's cursor positions. A preset from the host is shown in the user's form; what
// the user typed goes back in the host's. Numbers have no locale form: the host's numeric
// fields hold plain digits, and grouping or a decimal sign would not fit their cells.
//
// A calculation ("=12+30") adds and subtracts its values from left to right: in a date field
// every value counts in minutes of whole days (a date, or a plain number of days), in a time
// field in minutes (a time, or a plain number of minutes); a date and a time in one
// calculation are an error.

#include <optional>
#include <string>

namespace kovw::dialogs {

// How the user writes dates and times. The default is the host's own form.
struct DateStyle {
  enum class Order { DayMonthYear, MonthDayYear, YearMonthDay };
  Order order = Order::DayMonthYear;
  char16_t date_separator = u'.';
  char16_t time_separator = u':';
  bool operator==(const DateStyle&) const = default;
};

// A date or time in the host's form (a preset) as the user's `style` shows it in a field of
// `length` characters; nothing when it is no date or time.
std::optional<std::u16string> display_date(std::u16string_view host_text, int length,
                                           const DateStyle& style);
std::optional<std::u16string> display_time(std::u16string_view host_text, int length,
                                           const DateStyle& style);

// A date typed in the order of `style` ("1.2.26", "01022026", "1.2.2026"; any of . / - : as
// separator; without a year the current one) in the host's form for a field of `length`
// characters; nothing when it is no date.
std::optional<std::u16string> normalise_date(std::u16string_view text, int length,
                                             const DateStyle& style = {});
// A typed time ("9:5", "0905", "9.05.30") in the host's form; nothing when it is no time.
std::optional<std::u16string> normalise_time(std::u16string_view text, int length);

// The result of the calculation `text` (after its "=") in a field of type `classes`
// (field_request.h) and `length` characters, formatted for the field in the user's `style`;
// nothing on an error or a result out of range. Dates in a calculation are read in the order
// of `style` and written with "." or "/" (a "-" is the minus sign).
std::optional<std::u16string> evaluate_calculation(std::u16string_view text, int classes,
                                                   int length, const DateStyle& style = {});

}  // namespace kovw::dialogs
