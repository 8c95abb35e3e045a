#include "foundation/bounded_string.h"
#include "foundation/fixed_string.h"

#include <gtest/gtest.h>

using kovw::foundation::BoundedString;
using kovw::foundation::FixedString;

TEST(FixedString, RefusesTextLongerThanTheFieldAndKeepsTheOldValue) {
  FixedString<5> field("abcd");
  EXPECT_EQ(field.view(), "abcd");
  EXPECT_FALSE(field.assign("abcde"));
  EXPECT_EQ(field.view(), "abcd");
  EXPECT_TRUE(field.assign(""));
  EXPECT_TRUE(field.empty());
}

TEST(BoundedString, RefusesTextLongerThanTheLimitAndStopsAtAZero) {
  BoundedString<5> value("abcd");
  EXPECT_EQ(value.view(), "abcd");
  EXPECT_FALSE(value.assign("abcde"));
  EXPECT_EQ(value.view(), "abcd");
  EXPECT_TRUE(value.assign(std::string_view("ab\0cdefgh", 9)));
  EXPECT_EQ(value.view(), "ab");
  EXPECT_TRUE(value.assign(""));
  EXPECT_TRUE(value.empty());
}
