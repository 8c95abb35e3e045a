// The main window's and login dialog's decisions and texts: the first login at creation, the
// close question, the tray tip, the status line and the host list lines.
#include "shell/front_door_rules.h"

#include <gtest/gtest.h>

#include "foundation/message_table.h"

namespace kovw::shell {
namespace {

struct CreationCase {
  const char* name;
  FirstLoginFacts facts;
  FirstLogin expected;
};

class Creation : public ::testing::TestWithParam<CreationCase> {};

TEST_P(Creation, ChoosesTheFirstLogin) {
  EXPECT_EQ(decide_first_login(GetParam().facts), GetParam().expected);
}

// Facts: connected, ask each time, auto login, password present, browser, -lx, browser data.
INSTANTIATE_TEST_SUITE_P(
    Table, Creation,
    ::testing::Values(CreationCase{"SecondCreation",
                                   {true, true, true, true, false, false, false},
                                   FirstLogin::AlreadyConnected},
                      CreationCase{"AskEachTimeFirst",
                                   {false, true, true, true, true, false, true},
                                   FirstLogin::AskEachTime},
                      CreationCase{"AutoLogin",
                                   {false, false, true, true, true, false, true},
                                   FirstLogin::AutoLogin},
                      CreationCase{"AutoLoginWithoutPassword",
                                   {false, false, true, false, false, false, false},
                                   FirstLogin::ShowDialog},
                      CreationCase{"Plain",
                                   {false, false, false, true, false, false, false},
                                   FirstLogin::ShowDialog},
                      CreationCase{"BrowserComplete",
                                   {false, false, false, false, true, false, true},
                                   FirstLogin::BrowserLogin},
                      CreationCase{"BrowserIncomplete",
                                   {false, false, false, false, true, false, false},
                                   FirstLogin::ShowDialog},
                      CreationCase{"BrowserWithLx",
                                   {false, false, false, false, true, true, true},
                                   FirstLogin::ShowDialog}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CloseQuestion, NamesTheHostOrTheNumberOfPrograms) {
  foundation::set_language(foundation::kLanguageEnglish);
  EXPECT_FALSE(close_question(false, 2, "host1"));
  auto none = close_question(true, 0, "host1");
  ASSERT_TRUE(none);
  EXPECT_EQ(none->number, 10002);
  EXPECT_EQ(none->text, "Still connected to host1. Leave program anyway?");
  auto two = close_question(true, 2, "host1");
  ASSERT_TRUE(two);
  EXPECT_EQ(two->number, 10017);
  EXPECT_EQ(two->text, "Really leave KOVW? 2 program(s) still active.");
  foundation::set_language(foundation::kLanguageGerman);
  EXPECT_EQ(close_question(true, 2, "h")->text, "KOVW wirklich beenden? 2 Programm(e) noch aktiv.");
  foundation::set_language(foundation::kLanguageEnglish);
}

TEST(TrayTip, JoinsDisplayAndProgramAndIsCutTo127) {
  EXPECT_EQ(tray_tip_text(u"host1", u"Orders"), u"KOVW host1:Orders");
  const std::u16string tip = tray_tip_text(u"host1", std::u16string(200, u'\u00E4'));
  EXPECT_EQ(tip.size(), 127u);
  EXPECT_EQ(tip.substr(0, 11), u"KOVW host1:");
}

TEST(StatusLine, ShowsConnectionTimeOrDateAndTime) {
  EXPECT_EQ(status_line_text(true, 1000, 1000 + 3 * 3600 + 4 * 60 + 5, "Connected"),
            "3:04:05 Connected");
  EXPECT_EQ(status_line_text(true, 1000, 1000 + 125 * 3600, "Connected"), "125:00:00 Connected");
  EXPECT_EQ(status_line_text(true, 1000, 999, "x"), "0:00:00 x");  // a clock set back
  std::tm local{};
  local.tm_year = 126;
  local.tm_mon = 11;
  local.tm_mday = 10;
  local.tm_hour = 17;
  local.tm_min = 5;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  EXPECT_EQ(status_line_text(false, 0, std::mktime(&local), "Not connected"),
            "10.12.2026 17:05:09 Not connected");
}

TEST(HostListLines, FormatAndFirstWord) {
  foundation::set_language(foundation::kLanguageEnglish);
  HostList hosts;
  EXPECT_EQ(host_list_lines(hosts, true, false),
            std::vector<std::string>{"[KOVD Broadcast deactivated]"});
  EXPECT_EQ(host_list_lines(hosts, false, false), std::vector<std::string>{"[No KOVD active]"});
  const std::uint8_t answer[] = {'h', 'o', 's', 't', '1', 0,   '1', '0', '.', '0', '.',
                                 '0', '.', '5', 0,   '4', '0', '0', '0', 0,   '7', 0};
  ASSERT_TRUE(hosts.add_answer(answer, {10, 0, 0, 5}));
  EXPECT_EQ(host_list_lines(hosts, false, false), std::vector<std::string>{"host1 (10.0.0.5)"});
  EXPECT_EQ(host_list_lines(hosts, false, true), std::vector<std::string>{"host1 [7] (10.0.0.5)"});
  EXPECT_EQ(host_of_line("host1 [7] (10.0.0.5)"), "host1");
  EXPECT_FALSE(host_of_line("[No KOVD active]"));
  EXPECT_FALSE(host_of_line(""));
}

}  // namespace
}  // namespace kovw::shell
