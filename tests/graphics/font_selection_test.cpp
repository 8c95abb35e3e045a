// Font selection: the choice of face and size, the window's cache, the messages, and the
// font information reply built from the measurements.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "foundation/log_fixture.h"
#include "graphics/font_cache.h"
#include "graphics/font_choice.h"
#include "graphics/font_info_reply.h"
#include "graphics/font_selector.h"
#include "graphics/width_table_code.h"
#include "graphics_test_support.h"
#include "net/link_names.h"
#include "protocol/program/host_versions.h"

namespace kovw::graphics {
namespace {

FontNameTable names_with(std::initializer_list<std::pair<int, const char*>> entries) {
  FontNameTable names;
  for (const auto& [number, name] : entries) names.set(number, name);
  return names;
}

TEST(FontChoiceTest, FaceAndSizeByNumber) {
  const FontNameTable names = names_with({{0, "Arial"}, {3, "Times New Roman"}});
  FontWindowFacts facts;
  facts.device_width = 1925 * 96 / 150;  // the reference width: nominal sizes
  // A window that takes sizes from the host: 12 points of table font 3.
  const auto host_size = choose_font({3, 12, 0, 0}, facts, names, nullptr);
  ASSERT_TRUE(host_size);
  EXPECT_EQ("Times New Roman", host_size->face);
  EXPECT_EQ(120, host_size->tenths);
  EXPECT_NEAR(16.0, host_size->pixel_size, 0.05);  // 12 points at 96 dots per inch
  // Option 0x40: tenths already; a window twice as wide draws twice as large.
  facts.device_width *= 2;
  EXPECT_NEAR(32.0, choose_font({3, 120, 0, kFontOptionTenths}, facts, names, nullptr)->pixel_size,
              0.1);
  // A window that does not take sizes: font 3 is size 300 of font 0, whatever the size given.
  facts.takes_host_sizes = false;
  const auto legacy = choose_font({3, 12, 0, 0}, facts, names, nullptr);
  EXPECT_EQ(300, legacy->tenths);
  EXPECT_EQ(0, legacy->number);
  EXPECT_EQ("Arial", legacy->face);
  // Numbers 20-97 and above 99 name no font.
  EXPECT_FALSE(choose_font({25, 12, 0, 0}, facts, names, nullptr));
  EXPECT_FALSE(choose_font({100, 12, 0, 0}, facts, names, nullptr));
  // The settings' fonts, scaled by the window's scale.
  facts.scale_percent = 150;
  const auto fixed = choose_font({kFixedPitchFont, 0, 0, 0}, facts, names, nullptr);
  EXPECT_EQ("Courier New", fixed->face);
  EXPECT_EQ(240, fixed->tenths);
  EXPECT_EQ("Arial", choose_font({kProportionalFont, 0, 0, 0}, facts, names, nullptr)->face);
}

TEST(FontChoiceTest, LegacySizesIncludingFontZero) {
  EXPECT_EQ(100, legacy_tenths(1));
  EXPECT_EQ(600, legacy_tenths(6));
  EXPECT_EQ(100, legacy_tenths(7));
  EXPECT_EQ(600, legacy_tenths(0));  // continues the turn instead of reading before the table
  // A size below 1 also takes the legacy size, even where the host gives sizes.
  const FontWindowFacts facts;
  EXPECT_EQ(200, choose_font({2, 0, 0, 0}, facts, FontNameTable{}, nullptr)->tenths);
}

TEST(FontChoiceTest, ZoomFixedScaleAndCharacterCount) {
  FontWindowFacts facts;
  facts.device_width = 1000;
  facts.zoom_percent = 50;
  EXPECT_EQ(60, choose_font({1, 12, 0, 0}, facts, FontNameTable{}, nullptr)->tenths);
  facts.zoom_percent = 0;
  // Option 0x08: a fixed factor of 1.25 on screen windows, 20/19 on printed ones.
  EXPECT_NEAR(
      10 * 96 / 72.0 * 1.25,
      choose_font({1, 10, 0, kFontOptionFixedScale}, facts, FontNameTable{}, nullptr)->pixel_size,
      1e-9);
  facts.print_definition = true;
  EXPECT_NEAR(
      10 * 96 / 72.0 * 2000 / 1900,
      choose_font({1, 10, 0, kFontOptionFixedScale}, facts, FontNameTable{}, nullptr)->pixel_size,
      1e-9);
  facts.print_definition = false;
  // Option 0x04: 50 average characters fill the 1000 pixels; the average width grows with
  // the size in this stand-in measure.
  const AverageWidthOf half_em = [](const std::string&, double pixels) { return pixels / 2; };
  const auto counted =
      choose_font({1, 50, 0, kFontOptionCharCount}, facts, FontNameTable{}, half_em);
  EXPECT_NEAR(40.0, counted->pixel_size, 1e-9);  // an average of 20 pixels
  const auto zero = choose_font({1, 0, 0, kFontOptionCharCount}, facts, FontNameTable{}, half_em);
  EXPECT_TRUE(zero->count_below_one);
  EXPECT_NEAR(20.0, zero->pixel_size, 1e-9);  // a count of 100
}

TEST(FontNameTableTest, TwentyNamesOfSixtyThreeBytes) {
  FontNameTable names;
  EXPECT_TRUE(names.set(19, std::string(80, 'x')));
  EXPECT_EQ(63u, names.name(19).size());
  EXPECT_FALSE(names.set(20, "Arial"));
  EXPECT_EQ("", names.name(20));
  EXPECT_TRUE(names.set(2, std::string("Arial\0junk", 10)));
  EXPECT_EQ("Arial", names.name(2));
}

class FontSelectorTest : public ::kovw::test::LogFileTest {
 protected:
  void SetUp() override {
    ::kovw::test::LogFileTest::SetUp();
    test::ensure_application();
    names_.set(0, "Arial");
    names_.set(1, "Courier New");
    names_.set(2, "Frobnitz Grotesk");
    facts_.device_width = 1925 * 96 / 150;
  }
  bool logged(const std::string& text) const {
    const auto all = messages();
    return std::any_of(all.begin(), all.end(),
                       [&](const std::string& m) { return m.find(text) != std::string::npos; });
  }

  FontNameTable names_;
  FontWindowFacts facts_;
  QImage device_ = test::white_image(10, 10);
};

TEST_F(FontSelectorTest, TheCacheIsSharedAndReusedInTurn) {
  FontSelector selector(&device_);
  ASSERT_EQ(0, selector.select({0, 10, 0, 0}, facts_, names_, FontOrigin::Drawing));
  const auto first = selector.current();
  ASSERT_EQ(0, selector.select({0, 10, 0, 0}, facts_, names_, FontOrigin::Drawing));
  EXPECT_EQ(first, selector.current());  // found, not made again
  EXPECT_EQ(1, selector.cache().size());
  // 31 more sizes: the 31st different font takes slot 0, the 32nd slot 1.
  for (int size = 11; size <= 41; ++size)
    ASSERT_EQ(0, selector.select({0, size, 0, kFontOptionFixedScale}, facts_, names_,
                                 FontOrigin::Drawing));
  EXPECT_EQ(kFontCacheSlots, selector.cache().size());
  const int pixels_41 = selector.current()->key.pixels;
  EXPECT_EQ(pixels_41, selector.cache().slot(1)->key.pixels);
  EXPECT_NE(first->handle, selector.cache().slot(0)->handle);
  EXPECT_TRUE(logged("DIGRAW: Font 0 ersetzt. Handle 1"));
  EXPECT_TRUE(logged("DIGRAW: Font 1 ersetzt. Handle 2"));
  // The font in use outlives its slot.
  EXPECT_EQ(first->key.face, "Arial");
  // Different attributes are different fonts.
  ASSERT_EQ(
      0, selector.select({0, 41, 900, kFontOptionFixedScale}, facts_, names_, FontOrigin::Drawing));
  EXPECT_EQ(900, selector.current()->key.attribute);
  EXPECT_NE(selector.cache().slot(2)->key.attribute, 0);
  // Font numbers without a font change nothing and answer 9.
  const auto before = selector.current();
  EXPECT_EQ(kNoFont, selector.select({25, 10, 0, 0}, facts_, names_, FontOrigin::Drawing));
  EXPECT_EQ(before, selector.current());
}

TEST_F(FontSelectorTest, SubstitutesAreReportedUnlessTheyKeepTheMetrics) {
  FontSelector selector(&device_);
  ASSERT_EQ(0, selector.select({0, 10, 0, 0}, facts_, names_, FontOrigin::Drawing));
  EXPECT_EQ("Arial", selector.current()->face_name);
  EXPECT_EQ("Liberation Sans", selector.current()->family);
  ASSERT_EQ(0, selector.select({1, 10, 0, 0}, facts_, names_, FontOrigin::Drawing));
  EXPECT_FALSE(logged("DIGRA: Font"));
  EXPECT_FALSE(logged("Courier New"));
  // A face the system does not have: logged, and the message goes to the user (in the test's
  // unattended run also to the log).
  ASSERT_EQ(0, selector.select({2, 10, 0, 0}, facts_, names_, FontOrigin::Drawing));
  const std::string used = selector.current()->family.toStdString();
  EXPECT_EQ(used, selector.current()->face_name);
  EXPECT_TRUE(logged("DIGRA: Font Frobnitz Grotesk. Use " + used));
  EXPECT_TRUE(logged("Font \"Frobnitz Grotesk\" n"));  // the catalogue text, either language
  // From DB_FONT the same case is only logged.
  const std::size_t lines_before = messages().size();
  ASSERT_EQ(0, selector.select({2, 11, 0, 0}, facts_, names_, FontOrigin::StreamOrInfo));
  EXPECT_EQ(lines_before + 1, messages().size());
}

TEST_F(FontSelectorTest, ImpossibleSizesKeepTheFontInUse) {
  FontSelector selector(&device_);
  // No font yet: the fallback face at a readable size.
  ASSERT_EQ(0, selector.select({0, 30000, 0, kFontOptionFixedScale}, facts_, names_,
                               FontOrigin::Drawing));
  EXPECT_EQ("Courier New", selector.current()->face_name);
  EXPECT_TRUE(logged("DIGRA: Font not loadable. Name:Arial."));
  ASSERT_EQ(0, selector.select({0, 10, 0, 0}, facts_, names_, FontOrigin::Drawing));
  const auto in_use = selector.current();
  ASSERT_EQ(0, selector.select({0, 30000, 0, kFontOptionFixedScale}, facts_, names_,
                               FontOrigin::Drawing));
  EXPECT_EQ(in_use, selector.current());
}

TEST_F(FontSelectorTest, MeasuredWidthsAddUpAndAreCountedInThirtyTwoBits) {
  FontSelector selector(&device_);
  facts_.device_width = 40000;  // a huge window: a font of about 430 pixels
  ASSERT_EQ(0, selector.select({0, 10, 0, 0}, facts_, names_, FontOrigin::Drawing, true));
  const FontMetrics& m = selector.current()->metrics;
  const int w_width = m.byte_widths['W'];
  EXPECT_GT(w_width, 4096 * 1);  // more than 256 pixels would pass 16 bits in 1/256 units
  EXPECT_GT(m.byte_widths['W'] * 100, 65535);  // the products stay exact in 32 bits
  ASSERT_EQ(65536u, m.wide_widths.size());
  EXPECT_EQ(m.byte_widths['A'], m.wide_widths['A']);
  EXPECT_EQ(m.byte_widths[0x80], m.wide_widths[0x20AC]);  // the euro sign of the code page
  EXPECT_EQ(0, m.wide_widths[0xD800]);
}

TEST(FontInfoReplyTest, TheReplyIsByteExact) {
  FontMetrics m;
  m.height = 1600;         // 16 pixels
  m.average_width = 9600;  // 6 pixels in sixteenths x 100
  m.descent = 400;
  m.character_widths = {16000, 8000, 8000, 8000, 9600};
  m.byte_widths.fill(160);  // 10 pixels
  m.byte_widths[' '] = 80;
  m.wide_widths.assign(65536, 0x90);
  WorldMapping mapping = fit_world(1000, 500, 400, 400, false);  // 2/5: world = device x 5/2
  const protocol::FontInfo info = font_info_reply(m, "Arial", mapping);
  EXPECT_EQ((std::array<std::int32_t, 6>{4000, 24000, 1000, 1600, 9600, 400}), info.metrics);
  EXPECT_EQ((std::array<std::int32_t, 5>{40000, 20000, 20000, 20000, 24000}), info.world_widths);
  ASSERT_EQ(512u, info.world_table.size());
  EXPECT_EQ(0x90, info.world_table[0]);  // 400 = 0x0190, little-endian
  EXPECT_EQ(0x01, info.world_table[1]);
  EXPECT_EQ(200, info.world_table[2 * ' ']);
  EXPECT_EQ(160, info.device_table[0]);
  EXPECT_EQ(0, info.device_table[1]);
  // 65,536 equal widths: one repeat group of 65,536 copies.
  EXPECT_EQ((std::vector<std::uint8_t>{0x82, 0xFF, 0xFF, 0x90, 0x00}), info.glyph_table);

  // On the wire: six integer fields, the name with its zero, ten integer fields, two 512-byte
  // fields and the coded table as a byte-string field.
  const protocol::Outgoing out =
      protocol::build_font_info(net::KWK_GFONT, info, protocol::kVersionGlyphTable);
  const auto parsed =
      protocol::parse_font_info(net::KWK_GFONT, out.payload, protocol::kVersionGlyphTable);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(info.glyph_table, parsed->glyph_table);
  EXPECT_EQ("Arial", parsed->name);
  // Type 18 carries only the six values and the name.
  const protocol::Outgoing short_reply = protocol::build_font_info(18, info, 0);
  const std::vector<std::uint8_t> want = {
      0, 4, 0,   0,   0x0F, 0xA0,  // 4000
      0, 4, 0,   0,   0x5D, 0xC0,  // 24000
      0, 4, 0,   0,   0x03, 0xE8,  // 1000
      0, 4, 0,   0,   0x06, 0x40,  // 1600
      0, 4, 0,   0,   0x25, 0x80,  // 9600
      0, 4, 0,   0,   0x01, 0x90,  // 400
      0, 6, 'A', 'r', 'i',  'a',  'l', 0,
  };
  EXPECT_EQ(want, short_reply.payload);
}

TEST(FontInfoReplyTest, WidthsBeyondSixteenBitsAreHeldAtTheTop) {
  const std::int32_t widths[] = {70000, -5, 0x1234};
  EXPECT_EQ((std::vector<std::uint8_t>{0xFF, 0xFF, 0, 0, 0x34, 0x12}), width_table_bytes(widths));
  WorldMapping mapping = fit_world(1, 1, 1, 1, false);
  EXPECT_EQ(3, device_to_world(3, mapping));
  mapping.x_numerator = 3;
  EXPECT_EQ(3, device_to_world(10, mapping));  // 10/3 rounds to 3
  EXPECT_EQ(-3, device_to_world(-10, mapping));
}

}  // namespace
}  // namespace kovw::graphics
