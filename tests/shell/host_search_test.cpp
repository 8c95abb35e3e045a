// The host list of the host search.
#include "shell/host_search.h"

#include <gtest/gtest.h>

#include <string>

namespace kovw::shell {
namespace {

std::vector<std::uint8_t> answer(std::initializer_list<std::string> texts) {
  std::vector<std::uint8_t> out;
  for (const std::string& text : texts) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
  }
  return out;
}

TEST(HostList, MergesAnswersOfOneStationAndReadsPortAndLoad) {
  HostList list;
  EXPECT_TRUE(list.add_answer(answer({"alpha", "10.0.0.1", "4800", "12"}), {10, 0, 0, 1}));
  EXPECT_FALSE(list.add_answer(answer({"alpha-again", "10.0.0.1"}), {10, 0, 0, 1}));
  EXPECT_TRUE(list.add_answer(answer({"beta", "10.0.0.2"}), {10, 0, 0, 2}));
  EXPECT_FALSE(list.add_answer(answer({""}), {10, 0, 0, 3}));
  EXPECT_FALSE(list.add_answer({}, {10, 0, 0, 4}));
  ASSERT_EQ(list.entries().size(), 2u);
  EXPECT_EQ(list.entries()[0].port, 4800);
  EXPECT_EQ(list.entries()[0].load, 12);
  EXPECT_EQ(list.entries()[1].port, 0);
  EXPECT_EQ(list.entries()[1].load, -1);
  ASSERT_NE(list.find("beta"), nullptr);
  EXPECT_EQ(list.find("bet"), nullptr);
}

TEST(HostList, MalformedAnswersAreDroppedAndAnUnterminatedLastTextCounts) {
  HostList list;
  const std::string longest(31, 'n');
  std::vector<std::uint8_t> raw = answer({longest});
  raw.insert(raw.end(), {'1', '.', '2'});  // the address without its zero byte
  EXPECT_TRUE(list.add_answer(raw, {1, 2, 3, 4}));
  EXPECT_EQ(list.entries()[0].name, longest);
  EXPECT_EQ(list.entries()[0].address, "1.2");

  // Dropped rather than cut: a cut name could name another host and -lb would log in there.
  const std::vector<std::vector<std::uint8_t>> refused = {
      answer({longest + "n", "a"}),
      answer({"h", std::string(32, 'a')}),
      std::vector<std::uint8_t>(100, 'n'),  // one long text, no zero byte, no address
      answer({"h"}),
      answer({"", "10.0.0.3"}),
      answer({"h", "a", "48x"}),
      answer({"h", "a", "0", "99999999999"}),
  };
  for (std::size_t i = 0; i < refused.size(); ++i) {
    SCOPED_TRACE(i);
    const std::uint8_t last = static_cast<std::uint8_t>(10 + i);
    EXPECT_FALSE(list.add_answer(refused[i], {1, 2, 3, last}));
  }
  EXPECT_EQ(list.entries().size(), 1u);
  // The station of a dropped answer may answer again with a sound one.
  EXPECT_TRUE(list.add_answer(answer({"h", "a"}), {1, 2, 3, 10}));
}

TEST(HostList, LeastLoadedTakesZeroSkipsMissingAndHugeLoadsAndKeepsTheFirstOnTies) {
  HostList list;
  list.add_answer(answer({"noload", "a"}), {1, 0, 0, 1});
  list.add_answer(answer({"huge", "b", "0", "1000000"}), {1, 0, 0, 2});
  list.add_answer(answer({"five", "c", "0", "5"}), {1, 0, 0, 3});
  EXPECT_EQ(list.least_loaded()->name, "five");
  list.add_answer(answer({"zero", "d", "0", "0"}), {1, 0, 0, 4});
  list.add_answer(answer({"zero-too", "e", "0", "0"}), {1, 0, 0, 5});
  EXPECT_EQ(list.least_loaded()->name, "zero");

  HostList none;
  none.add_answer(answer({"noload", "a"}), {1, 0, 0, 1});
  EXPECT_EQ(none.least_loaded(), nullptr);
}

}  // namespace
}  // namespace kovw::shell
