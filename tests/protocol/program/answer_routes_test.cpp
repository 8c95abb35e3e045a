#include "protocol/program/answer_routes.h"

#include <gtest/gtest.h>

#include "net/link_names.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/program_window.h"

namespace kovw::protocol {
namespace {

TEST(AnswerRoutes, AnswersUnderAnotherServiceOrType) {
  struct Case {
    int service, type;
    AnswerRoute answer;
  };
  const Case cases[] = {
      {net::KWD_DIGRA, net::KWK_PDIGRA, {net::KWD_DIGRA, net::KWK_GDIGRA, false}},
      {net::KWD_DIGRA, net::KWK_GGETEX, {net::KWD_DIGRA, net::KWK_GGET, true}},
      {net::KWD_WIN, net::KWK_WTEST, {net::KWD_WIN, net::KWK_WTAST, true}},
      {net::KWD_WIN, net::KWK_WDIALOG, {net::KWD_DIGRA, net::KWK_GDIALOG, true}},
      {net::KWD_LIST, net::KWK_LDIALOG, {net::KWD_LIST, net::KWK_LANTWDIA, true}},
      {net::KWD_STREAM, net::KWK_SDREP, {net::KWD_STREAM, net::KWK_SRETC, false}},
      {net::KWD_KOMM, net::KWK_KGETWINID, {net::KWD_KOMM, net::KWK_KGETWINID, false}},
      {net::KWD_KOMM, KWK_KFONTLIST, {net::KWD_KOMM, KWK_KFONTLIST, false}},
      {net::KWD_DIGRA, net::KWK_GSPEAK, {net::KWD_DIGRA, net::KWK_GSPEAK, false}},
  };
  for (const Case& c : cases) {
    const auto route = answer_route(c.service, c.type, 0x041006);
    ASSERT_TRUE(route) << c.service << "/" << c.type;
    EXPECT_EQ(*route, c.answer) << c.service << "/" << c.type;
  }
}

TEST(AnswerRoutes, MessageBoxAnswerDependsOnFlagBit12) {
  EXPECT_EQ(answer_route(net::KWD_WIN, net::KWK_WMELDE, 0x060000, kMeldeRetc)->type,
            net::KWK_WMELDE);
  EXPECT_EQ(answer_route(net::KWD_WIN, net::KWK_WMELDE, 0x060000, 0)->type, net::KWK_WTAST);
}

TEST(AnswerRoutes, UnansweredMessages) {
  for (const auto& [service, type] :
       std::initializer_list<std::pair<int, int>>{{net::KWD_KOMM, net::KWK_KINIT},
                                                  {net::KWD_KOMM, KWK_KRECONNECT},
                                                  {net::KWD_DIGRA, net::KWK_GKTEXT},
                                                  {net::KWD_WIN, net::KWK_WINIT},
                                                  {net::KWD_STREAM, net::KWK_SDATA},
                                                  {net::KWD_CONNECT, net::KWK_CONNECT}})
    EXPECT_FALSE(answer_route(service, type, 0x070000)) << service << "/" << type;
  // KWK_SDREP of a host library from 0x050400 gets no KWK_SRETC.
  EXPECT_FALSE(answer_route(net::KWD_STREAM, net::KWK_SDREP, 0x050400));
}

}  // namespace
}  // namespace kovw::protocol
