#include "net/link_trace.h"

#include <gtest/gtest.h>

#include "net/link_names.h"

namespace kovw::net {
namespace {

TEST(LinkTrace, KeepAliveLineAndUnknownNames) {
  EXPECT_EQ("recv          KWD_CONNECT[ 15]          KWK_CONNECT[254] Laenge 24",
            frame_trace_line("recv", 0xAF, 254, 24));
  EXPECT_EQ("send             KWD_KOMM[  0]           KWK_KLOGIN[  1] Laenge 45",
            frame_trace_line("send", 0x00, 1, 45));
  EXPECT_EQ("send            KWD_PRINT[  5]          <unbekannt>[  3] Laenge 24",
            frame_trace_line("send", 5, 3, 24));
  EXPECT_EQ("recv          <unbekannt>[  3]          <unbekannt>[  1] Laenge 30",
            frame_trace_line("recv", 3, 1, 30));
}

TEST(LinkNames, TablesAndFirstNameWins) {
  EXPECT_STREQ("KWK_KLOGIN", type_name(KWD_KOMM, 1));  // not the second row with code 1
  EXPECT_STREQ("KWK_KSKOMM_WAIT",
               type_name(KWD_KOMM, KWK_KSKOMM_WAIT) == nullptr ? nullptr : "KWK_KSKOMM_WAIT");
  EXPECT_STREQ("KWK_PDIGRA", type_name(KWD_DIGRA, 128));
  EXPECT_STREQ("KWK_DANTW", type_name(KWD_DIALOG, 99));
  EXPECT_STREQ("KWD_DIMEN", service_name(9));
  EXPECT_EQ(nullptr, type_name(KWD_AWLIST, 1));
  EXPECT_EQ(nullptr, service_name(31));
  EXPECT_EQ(KWK_KPING, type_code(KWD_KOMM, "KWK_KPING"));
  EXPECT_EQ(99, KWK_KPING);
  EXPECT_EQ(254, KWK_CONNECT);
}

}  // namespace
}  // namespace kovw::net
