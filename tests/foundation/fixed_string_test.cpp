#include "foundation/fixed_string.h"

#include <gtest/gtest.h>

using kovw::foundation::FixedString;

TEST(FixedString, RefusesTextLongerThanTheFieldAndKeepsTheOldValue) {
  FixedString<5> field("abcd");
  EXPECT_EQ(field.view(), "abcd");
  EXPECT_FALSE(field.assign("abcde"));
  EXPECT_EQ(field.view(), "abcd");
  EXPECT_TRUE(field.assign(""));
  EXPECT_TRUE(field.empty());
}
