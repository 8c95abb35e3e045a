// The PCX decoder: the picture kinds it knows, runs across lines, and refusals of bad files
// (the seeds of its fuzz target decode as well).
#include "shell/pcx_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "pcx_writer.h"

namespace kovw::shell {
namespace {

using test::Bytes;
using test::pcx_header;

PcxError decode(const Bytes& file, PcxImage* out = nullptr) {
  PcxImage image;
  const PcxError error = decode_pcx(file, image);
  if (out) *out = image;
  return error;
}

TEST(PcxImage, DecodesEightBitWithPaletteAndRunsAcrossLines) {
  // 3 x 2, lines of 4 bytes: one run of 8 bytes of colour 5 covers both lines.
  Bytes file = pcx_header(3, 2, 8, 1, 4);
  file.push_back(0xC8);
  file.push_back(5);
  file.push_back(0x0C);
  for (int i = 0; i < 256; ++i) {
    file.push_back(static_cast<std::uint8_t>(i));
    file.push_back(0x10);
    file.push_back(0x20);
  }
  PcxImage image;
  ASSERT_EQ(decode(file, &image), PcxError::None);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  for (std::uint32_t pixel : image.pixels) EXPECT_EQ(pixel, 0xFF051020u);
}

TEST(PcxImage, DecodesTrueColourMonochromeAndSixteenColours) {
  PcxImage image;
  // True colour 2 x 1: planes R, G, B of 2 bytes each, no runs.
  Bytes rgb = pcx_header(2, 1, 8, 3, 2);
  for (std::uint8_t b : {0x01, 0x02, 0x03, 0x04, 0x05, 0x06}) rgb.push_back(b);
  ASSERT_EQ(decode(rgb, &image), PcxError::None);
  EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{0xFF010305u, 0xFF020406u}));

  // Monochrome 10 x 1: bits 1010000000 11.
  Bytes mono = pcx_header(10, 1, 1, 1, 2);
  mono.push_back(0xA0);
  mono.push_back(0x40);
  ASSERT_EQ(decode(mono, &image), PcxError::None);
  EXPECT_EQ(image.pixels[0], 0xFFFFFFFFu);
  EXPECT_EQ(image.pixels[1], 0xFF000000u);
  EXPECT_EQ(image.pixels[9], 0xFFFFFFFFu);

  // 16 colours in 4 planes, 1 x 1: index 0b1010 = 10, the header palette's entry 10.
  Bytes planar = pcx_header(1, 1, 1, 4, 1);
  planar[16 + 30] = 0x11;
  planar[16 + 31] = 0x22;
  planar[16 + 32] = 0x33;
  for (std::uint8_t b : {0x00, 0x80, 0x00, 0x80}) planar.push_back(b);
  ASSERT_EQ(decode(planar, &image), PcxError::None);
  EXPECT_EQ(image.pixels[0], 0xFF112233u);
}

TEST(PcxImage, RefusesBadFiles) {
  const Bytes good = [] {
    Bytes b = pcx_header(2, 1, 8, 3, 2);
    b.insert(b.end(), 6, 0x07);
    return b;
  }();
  ASSERT_EQ(decode(good), PcxError::None);
  struct Case {
    const char* name;
    Bytes file;
    PcxError error;
  };
  auto with = [&](std::size_t at, std::uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  const Case cases[] = {
      {"empty", {}, PcxError::TooShort},
      {"header cut", Bytes(good.begin(), good.begin() + 127), PcxError::TooShort},
      {"maker", with(0, 0x0B), PcxError::NotPcx},
      {"coding", with(2, 0), PcxError::NotPcx},
      {"x max below x min", with(4, 9), PcxError::BadSize},
      {"too wide", pcx_header(9000, 1, 8, 3, 9000), PcxError::BadSize},
      {"too many pixels", pcx_header(8000, 8000, 8, 3, 8000), PcxError::BadSize},
      {"lines too short", with(66, 1), PcxError::BadSize},
      {"bits", with(3, 3), PcxError::UnsupportedKind},
      {"planes", with(65, 2), PcxError::UnsupportedKind},
      {"data cut", Bytes(good.begin(), good.end() - 1), PcxError::Truncated},
      {"run without value",
       [&] {
         Bytes b(good.begin(), good.begin() + 128);
         b.push_back(0xC5);
         return b;
       }(),
       PcxError::Truncated},
      {"8 bit without palette",
       [] {
         Bytes b = pcx_header(1, 1, 8, 1, 1);
         b.push_back(0);
         return b;
       }(),
       PcxError::NoPalette},
  };
  for (const Case& c : cases) {
    PcxImage image;
    EXPECT_EQ(decode(c.file, &image), c.error) << c.name;
    EXPECT_TRUE(image.pixels.empty()) << c.name;
  }
}

TEST(PcxImage, SeedsOfTheFuzzTargetDecode) {
  const std::filesystem::path dir =
      std::filesystem::path(KOVW_SOURCE_DIR) / "fuzz/corpus/pcx_image";
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(decode(file), PcxError::None) << entry.path();
    ++seeds;
  }
  EXPECT_GT(seeds, 0);
}

}  // namespace
}  // namespace kovw::shell
