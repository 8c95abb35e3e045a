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

TEST(HostList, LongAndUnterminatedTextsAreCut) {
  HostList list;
  std::string text(100, 'n');
  std::vector<std::uint8_t> raw(text.begin(), text.end());  // no zero byte at all
  EXPECT_TRUE(list.add_answer(raw, {1, 2, 3, 4}));
  EXPECT_EQ(list.entries()[0].name.size(), 31u);
  EXPECT_EQ(list.entries()[0].address, "");
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
