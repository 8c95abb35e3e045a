#pragma once
// The values of date, time and numeric fields as the host reads them: dates go to the host as
// DD.MM.YYYY (DD.MM.YY in fields of fewer than ten characters), times as HH:MM (HH:MM:SS in
// fields of eight or more), numbers as decimal digits right-aligned with leading zeros. These
// fixed forms are the same whatever the user's locale, so the host never has to guess.
//
// A calculation ("=12+30") adds and subtracts its values from left to right: in a date field
// every value counts in minutes of whole days (a date, or a plain number of days), in a time
// field in minutes (a time, or a plain number of minutes); a date and a time in one
// calculation are an error.

#include <optional>
#include <string>

namespace kovw::dialogs {

// A typed date ("1.2.26", "01022026", "1.2.2026") in the host's form for a field of
// `length` characters; nothing when it is no date.
std::optional<std::u16string> normalise_date(std::u16string_view text, int length);
// A typed time ("9:5", "0905", "9.05.30") in the host's form; nothing when it is no time.
std::optional<std::u16string> normalise_time(std::u16string_view text, int length);

// The result of the calculation `text` (after its "=") in a field of type `classes`
// (field_request.h) and `length` characters, formatted for the field; nothing on an error.
std::optional<std::u16string> evaluate_calculation(std::u16string_view text, int classes,
                                                   int length);

}  // namespace kovw::dialogs
