#include "session/program/date_style.h"

#include <QString>

namespace kovw::session {

namespace {

// The pattern letters of a Qt date or time format, with quoted text left out.
QString pattern_without_quotes(const QString& format) {
  QString pattern;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'')
      quoted = !quoted;
    else if (!quoted)
      pattern += c;
  }
  return pattern;
}

// The first separator after the first run of one of `letters`, if it is one of `allowed`.
char16_t separator_after(const QString& pattern, const QString& letters, const QString& allowed,
                         char16_t fallback) {
  const qsizetype first = [&] {
    for (qsizetype i = 0; i < pattern.size(); ++i)
      if (letters.contains(pattern[i])) return i;
    return qsizetype(-1);
  }();
  if (first < 0) return fallback;
  for (qsizetype i = first; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c.isLetter() || c.isSpace()) continue;
    return allowed.contains(c) ? c.unicode() : fallback;
  }
  return fallback;
}

}  // namespace

dialogs::DateStyle date_style_of(const QLocale& locale) {
  using Order = dialogs::DateStyle::Order;
  dialogs::DateStyle style;
  const QString date = pattern_without_quotes(locale.dateFormat(QLocale::ShortFormat));
  const qsizetype day = date.indexOf(u'd');
  const qsizetype month = date.indexOf(u'M');
  const qsizetype year = date.indexOf(u'y');
  if (day >= 0 && month >= 0 && year >= 0) {
    if (year < month && month < day)
      style.order = Order::YearMonthDay;
    else if (month < day && day < year)
      style.order = Order::MonthDayYear;
    else
      style.order = Order::DayMonthYear;
  }
  style.date_separator = separator_after(date, QStringLiteral("dMy"), QStringLiteral("./-"), u'.');
  const QString time = pattern_without_quotes(locale.timeFormat(QLocale::ShortFormat));
  style.time_separator = separator_after(time, QStringLiteral("hH"), QStringLiteral(":."), u':');
  return style;
}

}  // namespace kovw::session
