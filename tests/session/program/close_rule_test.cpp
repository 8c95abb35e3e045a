#include "session/program/close_rule.h"

#include <gtest/gtest.h>

#include "session/view/cursor_kinds.h"

namespace kovw::session {
namespace {

using Action = CloseRule::Action;
using std::chrono::milliseconds;

struct CloseCase {
  const char* name;
  int host_version;
  std::vector<int> at_ms;  // times of the close requests
  std::vector<Action> expected;
};

class CloseRuleTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseRuleTest, ActsAsTheRuleSays) {
  const CloseCase& c = GetParam();
  CloseRule rule;
  const CloseRule::Clock::time_point start{};
  for (std::size_t i = 0; i < c.at_ms.size(); ++i) {
    EXPECT_EQ(c.expected[i], rule.attempt(start + milliseconds(c.at_ms[i]), c.host_version))
        << c.name << " request " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CloseRuleTest,
    ::testing::Values(
        // Five requests in quick succession: the handler, two counted, the question, counted.
        CloseCase{"quick",
                  0x070305,
                  {0, 1000, 2000, 3000, 4000},
                  {Action::ScreenHandler, Action::Nothing, Action::Nothing, Action::AskUser,
                   Action::Nothing}},
        // A pause of five seconds or more starts over.
        CloseCase{"pause",
                  0x070305,
                  {0, 4999, 10000, 15000, 15100},
                  {Action::ScreenHandler, Action::Nothing, Action::ScreenHandler,
                   Action::ScreenHandler, Action::Nothing}},
        // Old host libraries only count, however slowly the user closes.
        CloseCase{"old host",
                  0x030002,
                  {0, 10000, 20000, 30000},
                  {Action::Nothing, Action::Nothing, Action::AskUser, Action::Nothing}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (ch == ' ') ch = '_';
      return name;
    });

TEST(CursorKinds, MapToTheirShapesAndArrowOutsideTheTable) {
  EXPECT_EQ(Qt::ArrowCursor, cursor_shape(0));
  EXPECT_EQ(Qt::ArrowCursor, cursor_shape(1));
  EXPECT_EQ(Qt::WaitCursor, cursor_shape(2));
  EXPECT_EQ(Qt::SizeHorCursor, cursor_shape(5));
  EXPECT_EQ(Qt::SizeBDiagCursor, cursor_shape(8));
  EXPECT_EQ(Qt::PointingHandCursor, cursor_shape(12));
  EXPECT_EQ(Qt::UpArrowCursor, cursor_shape(14));
  EXPECT_EQ(Qt::ArrowCursor, cursor_shape(15));
  EXPECT_EQ(Qt::ArrowCursor, cursor_shape(-1));
}

}  // namespace
}  // namespace kovw::session
