// Font information without a graphics window: the metrics of the program's screen font, in
// the reply layouts of both request types.

#include "session/program/font_info.h"

#include "graphics/width_table_code.h"
#include "protocol/program/window_service.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

class FontInfoTest : public SessionTest {};

TEST_F(FontInfoTest, BothRequestTypesAnswerWithTheScreenFontsMetrics) {
  HostPeer& peer = start_program();
  init_program(peer, 83, "fontinfo");
  const auto request = protocol::build_font_request(net::KWK_GFONT, {3, 12, 0});
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GFONT, request.payload), 0);
  net::LinkMessage message;
  std::vector<std::uint8_t> payload;
  ASSERT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWD_DIGRA, message.service);
  EXPECT_EQ(net::KWK_GFONT, message.type);
  const auto info = protocol::parse_font_info(net::KWK_GFONT, payload, 0x070305);
  ASSERT_TRUE(info);
  EXPECT_EQ("Courier New", info->name);
  // World and device units are the same without a graphics window.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(info->metrics[i], info->metrics[i + 3]);
  EXPECT_GT(info->metrics[3], 0);
  // A fixed-pitch font: "0" and blank have the same width, and so has every table entry of a
  // letter; the coded table decodes to 65,536 widths agreeing with the 256.
  EXPECT_EQ(info->device_widths[0], info->device_widths[1]);
  ASSERT_TRUE(info->glyph_table);
  const auto wide = graphics::decode_width_table(*info->glyph_table, 2, 131072);
  ASSERT_TRUE(wide);
  ASSERT_EQ(131072u, wide->size());
  EXPECT_EQ(info->device_table[2 * 'A'], (*wide)[2 * 'A']);
  EXPECT_EQ(info->device_table[2 * 'A' + 1], (*wide)[2 * 'A' + 1]);

  // Type 18 answers with the same type and only the six values and the name.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GSPEAK, request.payload), 0);
  ASSERT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWK_GSPEAK, message.type);
  const auto short_info = protocol::parse_font_info(net::KWK_GSPEAK, payload, 0x070305);
  ASSERT_TRUE(short_info);
  EXPECT_EQ(info->metrics, short_info->metrics);

  // An unreadable request is answered all the same: the host waits for it.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GSPEAK, std::vector<std::uint8_t>{1}), 0);
  ASSERT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWK_GSPEAK, message.type);
}

}  // namespace
}  // namespace kovw::session::test
