#pragma once
// How the user's locale writes dates and times, for the date and time fields of text screens:
// the order of day, month and year and the separators of its short formats. Only forms as
// wide as the host's are taken (24-hour clock, "." "/" or "-" between the parts of a date), so
// a field keeps its cells whatever the locale.

#include <QLocale>

#include "dialogs/field_values.h"

namespace kovw::session {

dialogs::DateStyle date_style_of(const QLocale& locale);

}  // namespace kovw::session
