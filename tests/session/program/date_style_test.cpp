// The user's locale decides how date and time fields show their values.

#include "session/program/date_style.h"

#include <gtest/gtest.h>

namespace kovw::session {
namespace {

TEST(DateStyleTest, TheLocaleGivesOrderAndSeparators) {
  using Order = dialogs::DateStyle::Order;
  struct Case {
    QLocale locale;
    dialogs::DateStyle style;
  };
  for (const Case& c :
       {Case{QLocale(QLocale::German, QLocale::Germany), {Order::DayMonthYear, u'.', u':'}},
        Case{QLocale(QLocale::English, QLocale::UnitedStates), {Order::MonthDayYear, u'/', u':'}},
        Case{QLocale(QLocale::Swedish, QLocale::Sweden), {Order::YearMonthDay, u'-', u':'}},
        Case{QLocale(QLocale::Finnish, QLocale::Finland), {Order::DayMonthYear, u'.', u'.'}}}) {
    const dialogs::DateStyle style = date_style_of(c.locale);
    EXPECT_EQ(c.style.order, style.order) << c.locale.name().toStdString();
    EXPECT_EQ(c.style.date_separator, style.date_separator) << c.locale.name().toStdString();
    EXPECT_EQ(c.style.time_separator, style.time_separator) << c.locale.name().toStdString();
  }
}

}  // namespace
}  // namespace kovw::session
