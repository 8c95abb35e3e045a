#include "platform/accessible_label.h"

#include <gtest/gtest.h>

namespace {

TEST(AccessibleLabel, MnemonicMarksAndPaddingGo) {
  const struct {
    const char* label;
    const char* name;
  } cases[] = {
      {"&Yes", "Yes"},
      {"&Yes                                        ", "Yes"},  // padded by the host
      {"Save && &close", "Save & close"},
      {"F3 End", "F3 End"},
      {"trailing &", "trailing"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(kovw::platform::accessible_label(QString::fromUtf8(c.label)),
              QString::fromUtf8(c.name));
  }
}

}  // namespace
