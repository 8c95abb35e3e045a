#include "protocol/program/start_messages.h"

#include <gtest/gtest.h>

#include "net/link_names.h"
#include "payload_bytes.h"

namespace kovw::protocol {
namespace {

using namespace testing;

TEST(KInit, PidAndNameOnlyMeansVersion020400) {
  const Bytes payload = cat({int4(4711), str("prog")});
  const auto parsed = parse_kinit(payload);
  ASSERT_TRUE(parsed.ok()) << parsed.error().message;
  EXPECT_EQ(parsed->host_pid, 4711);
  EXPECT_EQ(parsed->program_name, "prog");
  EXPECT_FALSE(parsed->host_version);
  EXPECT_EQ(parsed->version(), 0x020400);
  EXPECT_EQ(parsed->parent_window, 0);
}

TEST(KInit, TailItemsFollowTheVersionGates) {
  struct Case {
    std::int32_t version;
    bool parent, embed, timeout;
  };
  for (const Case c : {Case{0x030001, false, false, false}, Case{0x030002, true, false, false},
                       Case{0x042400, true, true, false}, Case{0x060504, true, true, true}}) {
    // The host always sends all four tail values; the gates decide which are read.
    const Bytes payload =
        cat({int4(1), str("p"), int4(c.version), int4(77), int4(1), int4(9000), int4(5)});
    const auto parsed = parse_kinit(payload);
    ASSERT_TRUE(parsed.ok()) << parsed.error().message;
    EXPECT_EQ(parsed->version(), c.version);
    EXPECT_EQ(parsed->parent_window, c.parent ? 77 : 0) << std::hex << c.version;
    EXPECT_EQ(parsed->embed.has_value(), c.embed);
    EXPECT_EQ(parsed->link_timeout_ms.value_or(0), c.timeout ? 9000 : 0);
  }
}

TEST(KInit, BuilderWritesTheGatedItemsByteExact) {
  KInit message;
  message.host_pid = 0x01020304;
  message.program_name = "ab";
  message.host_version = 0x042400;
  message.parent_window = 5;
  message.embed = 1;
  message.link_timeout_ms = 3000;  // not sent below 0x060504
  const Outgoing out = build_kinit(message);
  EXPECT_EQ(out.service, net::KWD_KOMM);
  EXPECT_EQ(out.type, net::KWK_KINIT);
  EXPECT_EQ(out.payload, (Bytes{0,    4, 1, 2, 3, 4, 0, 3, 'a', 'b', 0, 0, 4, 0, 4,
                                0x24, 0, 0, 4, 0, 0, 0, 5, 0,   4,   0, 0, 0, 1}));
  EXPECT_EQ(out.header().length, static_cast<std::int32_t>(out.payload.size()));
}

TEST(KInit, OneStrayByteAfterTheNameIsNoVersion) {
  Bytes payload = cat({int4(1), str("p")});
  payload.push_back(0);
  const auto parsed = parse_kinit(payload);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->version(), kDefaultHostVersion);
}

TEST(KInit, BrokenInputsFail) {
  const Bytes name_runs_over = cat({int4(1), Bytes{0, 9, 'p', 0}});
  const Bytes pid_cut = Bytes{0, 4, 0, 0};
  const Bytes version_cut = cat({int4(1), str("p"), Bytes{0, 4, 0, 3}});
  for (const Bytes& payload : {Bytes{}, pid_cut, name_runs_over, version_cut}) {
    const auto parsed = parse_kinit(payload);
    EXPECT_FALSE(parsed.ok());
  }
  EXPECT_EQ(parse_kinit(pid_cut).error().code, ParseError::kTruncated);
  EXPECT_EQ(parse_kinit(version_cut).error().code, ParseError::kMalformed);
}

TEST(WindowIds, RoundTripAndLayout) {
  const WindowIds ids{11, 12, 1920, 1080, 0, 4242};
  const Outgoing out = build_window_ids(ids);
  EXPECT_EQ(out.type, net::KWK_KGETWINID);
  EXPECT_EQ(out.payload, cat({int4(11), int4(12), int4(1920), int4(1080), int4(0), int4(4242)}));
  const auto parsed = parse_window_ids(out.payload);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->thread_id, 4242);
  EXPECT_EQ(parsed->screen_width, 1920);
  EXPECT_FALSE(parse_window_ids(Bytes(out.payload.begin(), out.payload.end() - 1)).ok());
  EXPECT_TRUE(build_kgetwinid_request().payload.empty());
}

TEST(KReconnect, ReadsPidWindowAndThread) {
  const auto parsed = parse_kreconnect(cat({int4(99), int4(5), int4(1234), int4(0)}));
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->host_pid, 99);
  EXPECT_EQ(parsed->thread_id, 1234);
  EXPECT_EQ(build_kreconnect(*parsed).payload, cat({int4(99), int4(5), int4(1234), int4(0)}));
  EXPECT_EQ(build_kreconnect(*parsed).type, KWK_KRECONNECT);
  EXPECT_FALSE(parse_kreconnect(cat({int4(99), int4(5)})).ok());
}

TEST(ControlRequests, SmallIntegerMessages) {
  EXPECT_EQ(*parse_kcflag(int4(0x10)), 0x10);
  EXPECT_FALSE(parse_kcflag({}).ok());
  const auto map = parse_kmap(cat({int4(2), int4(77)}));
  ASSERT_TRUE(map.ok());
  EXPECT_EQ(map->operation, 2);
  EXPECT_EQ(map->window, 77);
  const auto one = parse_kbutton_nr(cat({int4(3), int4(1)}));
  ASSERT_TRUE(one.ok());
  EXPECT_EQ(*one->index, 3);
  EXPECT_EQ(build_kbutton(*one).type, net::KWK_KBUTTON_NR);
  const auto all = parse_kbutton(int1(1));
  ASSERT_TRUE(all.ok());
  EXPECT_FALSE(all->index);
  EXPECT_EQ(build_kbutton(*all).payload, int4(1));
}

}  // namespace
}  // namespace kovw::protocol
