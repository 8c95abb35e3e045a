#include "session/program/macro_playback.h"

#include <gtest/gtest.h>

#include "net/link_names.h"

namespace kovw::session {
namespace {

using protocol::MacroRecord;
using protocol::MacroWaitRule;
using Clock = std::chrono::steady_clock;

struct FakeClock {
  Clock::time_point now{};
  void advance(int ms) { now += std::chrono::milliseconds(ms); }
  MacroClock function() {
    return [this] { return now; };
  }
};

MacroRecord keys(int wait_ms) {
  MacroRecord r = *protocol::macro_record_of_answer(net::KWD_WIN, net::KWK_WTAST,
                                                    std::vector<std::uint8_t>{1, 2}, false);
  r.wait_ms = wait_ms;
  return r;
}

MacroRecord date(int wait_ms) {
  MacroRecord r = *protocol::macro_record_of_answer(net::KWD_KOMM, net::KWK_KGETDATE,
                                                    std::vector<std::uint8_t>{3}, false);
  r.wait_ms = wait_ms;
  return r;
}

// Polls as the program thread's timer does and returns the time until the record played.
int time_until_played(MacroPlayback& playback, FakeClock& clock,
                      std::vector<std::string>* statuses = nullptr) {
  int waited = 0;
  for (int i = 0; i < 100; ++i) {
    const MacroPlayback::Step step = playback.poll(std::nullopt);
    if (!step.status.empty() && statuses) statuses->push_back(step.status);
    if (step.action == MacroPlayback::Action::Play) return waited;
    EXPECT_EQ(step.action, MacroPlayback::Action::Wait);
    clock.advance(step.next_poll_ms);
    waited += step.next_poll_ms;
  }
  ADD_FAILURE() << "never played";
  return -1;
}

TEST(MacroPlayback, WaitRulesDecideWhenARecordedWaitOf300msPlays) {
  struct Case {
    const char* rule;
    int waited;
  };
  for (const Case& c : {Case{"+100", 100}, Case{"200", 200}, Case{"1000", 300}, Case{"", 300}}) {
    FakeClock clock;
    MacroPlayback playback({keys(300)}, *protocol::parse_macro_wait_rule(c.rule), clock.function());
    EXPECT_EQ(time_until_played(playback, clock), c.waited) << c.rule;
    EXPECT_EQ(playback.poll(std::nullopt).action, MacroPlayback::Action::End);
  }
}

TEST(MacroPlayback, FiveSecondWaitCountsDown) {
  FakeClock clock;
  MacroPlayback playback({keys(5000)}, {}, clock.function());
  std::vector<std::string> statuses;
  EXPECT_EQ(time_until_played(playback, clock, &statuses), 5000);
  EXPECT_EQ(statuses, (std::vector<std::string>{
                          "Makro Wiedergabe aktiv, warte 4s", "Makro Wiedergabe aktiv, warte 3s",
                          "Makro Wiedergabe aktiv, warte 2s", "Makro Wiedergabe aktiv, warte 1s",
                          "Makro Wiedergabe aktiv"}));
}

// Each wait counts from the moment the record before was played, not from the file's times.
TEST(MacroPlayback, WaitsCountFromThePreviousRecordPlayed) {
  FakeClock clock;
  MacroPlayback playback({keys(100), date(400)}, {}, clock.function());
  EXPECT_EQ(time_until_played(playback, clock), 100);
  // The host asks for the date late: the record plays at once.
  clock.advance(1000);
  EXPECT_EQ(playback.poll(protocol::kMacroDate).action, MacroPlayback::Action::Play);
}

TEST(MacroPlayback, CommentsAreSkippedAndAnswersWaitForTheirQuestion) {
  FakeClock clock;
  MacroPlayback playback(
      {protocol::macro_comment("a", "b"), date(0), protocol::macro_comment("c", "d"), keys(0)}, {},
      clock.function());
  // A date choice is not given unasked.
  EXPECT_EQ(playback.poll(std::nullopt).action, MacroPlayback::Action::Wait);
  const MacroPlayback::Step step = playback.poll(protocol::kMacroDate);
  ASSERT_EQ(step.action, MacroPlayback::Action::Play);
  EXPECT_EQ(step.record->kind, protocol::kMacroDate);
  EXPECT_EQ(playback.poll(std::nullopt).action, MacroPlayback::Action::Play);
  EXPECT_TRUE(playback.finished());
}

TEST(MacroPlayback, RecordOfAnotherKindThanAskedIsConsumed) {
  FakeClock clock;
  MacroPlayback playback({keys(0), date(0)}, {}, clock.function());
  const MacroPlayback::Step skipped = playback.poll(protocol::kMacroDate);
  EXPECT_EQ(skipped.action, MacroPlayback::Action::Skip);
  EXPECT_EQ(skipped.record->kind, protocol::kMacroKeys);
  EXPECT_EQ(playback.poll(protocol::kMacroDate).action, MacroPlayback::Action::Play);
}

}  // namespace
}  // namespace kovw::session
