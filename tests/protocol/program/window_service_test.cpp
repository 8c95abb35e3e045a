#include "protocol/program/window_service.h"

#include <gtest/gtest.h>

#include "net/link_names.h"
#include "payload_bytes.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/retc.h"

namespace kovw::protocol {
namespace {

using namespace testing;

TEST(WindowService, ItemTextLimits) {
  const auto ok = parse_gktext(cat({int4(101), str(std::string(767, 'l')), str("tip")}));
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok->item, 101);
  EXPECT_EQ(ok->tip, "tip");
  EXPECT_EQ(parse_gktext(cat({int4(1), str(std::string(768, 'l')), str("")})).error().code,
            ParseError::kTextTooLong);
  EXPECT_EQ(parse_gktext(cat({int4(1), str("l"), str(std::string(256, 't'))})).error().code,
            ParseError::kTextTooLong);
  EXPECT_EQ(build_gktext(ItemText{1, "a", "b"}).payload, cat({int4(1), str("a"), str("b")}));
  EXPECT_EQ(parse_gfontslot(cat({int4(3), str(std::string(768, 'f'))})).error().code,
            ParseError::kTextTooLong);
  EXPECT_EQ(parse_gfontslot(build_gfontslot(FontSlot{19, "Arial"}).payload)->name, "Arial");
}

TEST(WindowService, FontInfoGroupsByTypeAndVersion) {
  FontInfo info;
  info.metrics = {1, 2, 3, 4, 5, 6};
  info.name = "Liberation Mono";
  info.world_widths = {7, 8, 9, 10, 11};
  info.glyph_table = Bytes{0xAA, 0xBB};
  // Type 18: the first two groups only.
  const Outgoing speak = build_font_info(net::KWK_GSPEAK, info, 0x070000);
  EXPECT_EQ(speak.payload,
            cat({int4(1), int4(2), int4(3), int4(4), int4(5), int4(6), str("Liberation Mono")}));
  // Type 5 below 0x060D02: no glyph table.
  const Outgoing old = build_font_info(net::KWK_GFONT, info, 0x060D01);
  const auto parsed_old = parse_font_info(net::KWK_GFONT, old.payload, 0x060D01);
  ASSERT_TRUE(parsed_old.ok()) << parsed_old.error().message;
  EXPECT_FALSE(parsed_old->glyph_table);
  EXPECT_EQ(parsed_old->world_table.size(), kWidthTableSize);
  EXPECT_EQ(parsed_old->world_widths[4], 11);
  const Outgoing now = build_font_info(net::KWK_GFONT, info, 0x060D02);
  EXPECT_EQ(now.payload.size(), old.payload.size() + 4);
  EXPECT_EQ(*parse_font_info(net::KWK_GFONT, now.payload, 0x060D02)->glyph_table,
            *info.glyph_table);
}

TEST(WindowService, PositionItemsByModeAndVersion) {
  const auto one = parse_gpos(cat({int4(100), int4(1)}), 0x040001);
  ASSERT_TRUE(one.ok());
  EXPECT_FALSE(one->second);
  EXPECT_FALSE(one->window);
  const auto two = parse_gpos(cat({int4(100), int4(3), int4(200), int4(9)}), 0x040002);
  ASSERT_TRUE(two.ok());
  EXPECT_EQ(*two->second, 200);
  EXPECT_EQ(*two->window, 9);
  EXPECT_FALSE(parse_gpos(cat({int4(100), int4(3)}), 0x040002).ok());  // second value missing
  EXPECT_EQ(build_gpos(*two, 0x040002).payload, cat({int4(100), int4(3), int4(200), int4(9)}));
}

TEST(WindowService, InputWaitItems) {
  EXPECT_EQ(parse_gget(net::KWK_GGET, cat({int4(0), int4(500)}))->values,
            std::vector<std::int32_t>{500});
  EXPECT_TRUE(parse_gget(net::KWK_GGET, int4(kGetNoTimeout))->values.empty());
  Bytes twelve = int4(0);
  for (int i = 0; i < 12; ++i) twelve = cat({twelve, int4(i)});
  EXPECT_EQ(parse_gget(net::KWK_GGETEX, twelve)->values.size(), 12u);
  EXPECT_FALSE(parse_gget(net::KWK_GGETEX, Bytes(twelve.begin(), twelve.end() - 6)).ok());
  EXPECT_EQ(build_gget(net::KWK_GGETEX, *parse_gget(net::KWK_GGETEX, twelve)).payload, twelve);
}

TEST(WindowService, CaptureDataLengthIsChecked) {
  EXPECT_EQ(*parse_gdata(Bytes{0, 2, 'a', 'b', 'c'}), (Bytes{'a', 'b'}));
  EXPECT_EQ(parse_gdata(Bytes{0, 4, 'a'}).error().code, ParseError::kCountTooLarge);
  EXPECT_FALSE(parse_gdata(Bytes{0}).ok());
  EXPECT_EQ(build_gdata(Bytes{1, 2}).payload, (Bytes{0, 2, 1, 2}));
}

TEST(WindowService, HelperRecordsHaveTheirSizes) {
  EXPECT_EQ(parse_gvideo(field(Bytes(804, 1)))->size(), kVideoRequestSize);
  EXPECT_EQ(parse_gvideo(field(Bytes(803, 1))).error().code, ParseError::kTruncated);
  const auto speech = parse_gspeech(build_gspeech(SpeechRequest{Bytes(28, 2), {'h', 'i'}}).payload);
  ASSERT_TRUE(speech.ok());
  EXPECT_EQ(speech->text, (Bytes{'h', 'i'}));
  EXPECT_EQ(
      parse_helper_answer(net::KWK_GVIDEO, build_helper_answer(net::KWK_GVIDEO, Bytes{0}).payload)
          ->size(),
      kVideoAnswerSize);
  EXPECT_EQ(build_helper_answer(KWK_GSPEECH, Bytes{}).payload.size(), 2 + kSpeechAnswerSize);
}

TEST(WindowService, ContextMenuRecordsAgainstTheirCount) {
  std::vector<MenuItemRecord> items(2);
  items[1][kMenuOldCommandOffset] = 9;
  const Outgoing out = build_creakontext(net::KWD_WIN, items);
  EXPECT_EQ(out.service, net::KWD_WIN);
  EXPECT_EQ(out.type, net::KWK_CREAKONTEXT);
  const auto parsed = parse_creakontext(out.payload, 0x04180D);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(le16(parsed->at(1).data() + kMenuKindOffset), 9);
  EXPECT_EQ(parse_creakontext(cat({int4(3), field(Bytes(2 * 234, 0))}), 0x050000).error().code,
            ParseError::kCountTooLarge);
}

TEST(Retc, OneToFourValues) {
  const Outgoing out = build_retc(net::KWD_DIGRA, net::KWK_GTLEN, {1, 2, 3, 4, 5});
  EXPECT_EQ(out.payload, cat({int4(1), int4(2), int4(3), int4(4)}));
  EXPECT_EQ(*parse_retc(out.payload), (std::vector<std::int32_t>{1, 2, 3, 4}));
  EXPECT_FALSE(parse_retc({}).ok());
  EXPECT_FALSE(parse_retc(cat({out.payload, int4(5)})).ok());
}

TEST(Retc, StreamAnswersFollowTheHostLibrary) {
  struct Case {
    std::int32_t version;
    bool after_rep, after_len;
  };
  for (const Case c :
       {Case{0x041004, true, true}, Case{0x041005, true, false}, Case{0x041006, true, true},
        Case{0x050302, true, true}, Case{0x050400, false, false}}) {
    EXPECT_EQ(stream_wants_retc(net::KWK_SDREP, c.version), c.after_rep) << std::hex << c.version;
    EXPECT_EQ(stream_wants_retc(net::KWK_SDLEN, c.version), c.after_len) << std::hex << c.version;
    EXPECT_FALSE(stream_wants_retc(net::KWK_SDATA, c.version));
  }
  EXPECT_EQ(build_stream_retc().type, net::KWK_SRETC);
  EXPECT_TRUE(is_keep_alive(build_keep_alive().service, build_keep_alive().type));
  EXPECT_FALSE(is_keep_alive(net::KWD_KOMM, net::KWK_CONNECT));
}

}  // namespace
}  // namespace kovw::protocol
