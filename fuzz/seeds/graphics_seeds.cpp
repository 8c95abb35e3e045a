// Seeds of the graphics targets: small JPEG pictures written by libjpeg (colour, grey,
// progressive, CMYK), small TIFF pictures assembled by hand (grey, colour, PackBits), and
// coded font width tables.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
// The library's header needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "graphics/graphics_definition.h"
#include "graphics/page_file.h"
#include "graphics/width_table_code.h"
#include "seed_set.h"

namespace kovw::fuzz {

namespace {

// ---- jpeg_image ------------------------------------------------------------------------

Bytes jpeg(int width, int height, int components, J_COLOR_SPACE space, bool progressive) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 75, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components));
  while (info.next_scanline < info.image_height) {
    for (std::size_t i = 0; i < row.size(); ++i)
      row[i] = static_cast<JSAMPLE>((i * 37 + info.next_scanline * 11) & 0xFF);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(out, out + size);
  std::free(out);
  return bytes;
}

void add_jpeg_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "jpeg_image";
  seeds.add(kTarget, "colour_16x8", jpeg(16, 8, 3, JCS_RGB, false));
  seeds.add(kTarget, "grey_9x5", jpeg(9, 5, 1, JCS_GRAYSCALE, false));
  seeds.add(kTarget, "progressive_16x16", jpeg(16, 16, 3, JCS_RGB, true));
  seeds.add(kTarget, "cmyk_8x8", jpeg(8, 8, 4, JCS_CMYK, false));
}

// ---- tiff_image ------------------------------------------------------------------------

struct Entry {
  std::uint16_t tag, type;
  std::uint32_t count, value;
};

void put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// A little-endian TIFF with one directory of `entries` (the strip offset is filled in) and
// one strip of `data`.
Bytes tiff(std::vector<Entry> entries, const Bytes& data) {
  Bytes out = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const auto data_at = static_cast<std::uint32_t>(8 + 2 + entries.size() * 12 + 4);
  put16(out, static_cast<std::uint32_t>(entries.size()));
  for (Entry e : entries) {
    if (e.tag == 273) e.value = data_at;
    if (e.tag == 279) e.value = static_cast<std::uint32_t>(data.size());
    put16(out, e.tag);
    put16(out, e.type);
    put32(out, e.count);
    put32(out, e.value);
  }
  put32(out, 0);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

void add_tiff_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "tiff_image";
  Bytes grey(4 * 3);
  for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<std::uint8_t>(i * 20);
  seeds.add(kTarget, "grey_4x3",
            tiff({{256, 4, 1, 4},
                  {257, 4, 1, 3},
                  {258, 3, 1, 8},
                  {259, 3, 1, 1},
                  {262, 3, 1, 1},
                  {273, 4, 1, 0},
                  {277, 3, 1, 1},
                  {278, 4, 1, 3},
                  {279, 4, 1, 0}},
                 grey));
  Bytes rgb(2 * 2 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 21);
  // Bits per sample 8 for each of three samples: one value of 8 in the entry covers them in
  // the seed; libtiff reads the first.
  seeds.add(kTarget, "rgb_2x2",
            tiff({{256, 4, 1, 2},
                  {257, 4, 1, 2},
                  {258, 3, 1, 8},
                  {259, 3, 1, 1},
                  {262, 3, 1, 2},
                  {273, 4, 1, 0},
                  {277, 3, 1, 3},
                  {278, 4, 1, 2},
                  {279, 4, 1, 0}},
                 rgb));
  // PackBits: two rows of four, a run and a literal group.
  const Bytes packed = {0xFD, 0x80, 0x03, 1, 2, 3, 4};
  seeds.add(kTarget, "packbits_4x2",
            tiff({{256, 4, 1, 4},
                  {257, 4, 1, 2},
                  {258, 3, 1, 8},
                  {259, 3, 1, 32773},
                  {262, 3, 1, 1},
                  {273, 4, 1, 0},
                  {277, 3, 1, 1},
                  {278, 4, 1, 2},
                  {279, 4, 1, 0}},
                 packed));
  // One bit per pixel, white is zero.
  seeds.add(kTarget, "bilevel_8x2",
            tiff({{256, 4, 1, 8},
                  {257, 4, 1, 2},
                  {258, 3, 1, 1},
                  {259, 3, 1, 1},
                  {262, 3, 1, 0},
                  {273, 4, 1, 0},
                  {277, 3, 1, 1},
                  {278, 4, 1, 2},
                  {279, 4, 1, 0}},
                 Bytes{0xA5, 0x3C}));
}

// ---- width_table_code: unit size selector, then a coded table ------------------------------

void add_width_table_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "width_table_code";
  Bytes widths;
  for (int c = 0; c < 600; ++c) {
    const int w = c < 32 ? 0 : c < 400 ? 144 + (c % 7 == 0 ? 16 : 0) : 160;
    widths.push_back(static_cast<std::uint8_t>(w));
    widths.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  seeds.add(kTarget, "two_byte_units", prefixed({1}, graphics::encode_width_table(widths, 2)));
  seeds.add(kTarget, "one_byte_units", prefixed({0}, graphics::encode_width_table(widths, 1)));
  seeds.add(kTarget, "long_repeat", Bytes{1, 0x82, 0xFF, 0xFF, 0x90, 0x00});
  seeds.add(kTarget, "four_byte_units", prefixed({3}, graphics::encode_width_table(widths, 4)));
}

// Messages of the graphics stream: byte 0 picks the host library, byte 1 the message type;
// 0xFE 0xFE separates messages.
void add_stream_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "graphics_stream";
  auto le16 = [](Bytes& b, int v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto le32 = [](Bytes& b, std::int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  // Type 1: colour, line width, a line, a rectangle, a text and a flush.
  Bytes plain{3, 0, 0x15, 200, 0, 0, 0x07, 2, 0x0C};
  le16(plain, 2);
  for (int v : {0, 0, 4000, 4000}) le32(plain, v);
  plain.push_back(0x0E);
  plain.insert(plain.end(), {0, 0, 0, 0, 0, 0, 0});
  for (int v : {100, 100, 900, 900}) le32(plain, v);
  plain.insert(plain.end(), {0, 0, 0});
  plain.push_back(0x0B);
  le16(plain, 5);
  le32(plain, 10);
  le32(plain, 20);
  plain.insert(plain.end(), {'H', 'e', 'l', 'l', 'o', 0x05});
  seeds.add(kTarget, "lines_rectangle_text", plain);
  // Type 4: a segment recorded, ended, and recorded again.
  Bytes segmented{3, 2};
  for (int pass = 0; pass < 2; ++pass) {
    segmented.insert(segmented.end(), {0x2E, 19});
    le16(segmented, 1);
    for (int v : {0, 4000, 4000, 3000}) le32(segmented, v);
    segmented.insert(segmented.end(), {0x0C, 19});
    le16(segmented, 2);
    for (int v : {0, 3500, 4000, 3500}) le32(segmented, v);
    segmented.insert(segmented.end(), {0x2E, 19});
    le16(segmented, 3);
    for (int v : {0, 0, 0, 0}) le32(segmented, v);
    segmented.insert(segmented.end(), {0xFE, 0xFE});
  }
  seeds.add(kTarget, "segment_rewritten", segmented);
  // Type 4 with a two-byte length, an alpha colour, a tooltip and window operations.
  Bytes lengths{3, 2, 0x25, 0x80, 0x0C};
  le32(lengths, 1234);
  lengths.insert(lengths.end(), {0, 0, 0, 0, 0, 0, 0x15, 5, 1, 2, 3, 0x40, 0x26, 32});
  le16(lengths, 0x26);
  le16(lengths, 3);
  for (int v : {7, 0, 0, 100, 100, 0}) le32(lengths, v);
  lengths.insert(lengths.end(), {'t', 'i', 'p', 0x2D, 7});
  le16(lengths, 1);
  le32(lengths, 1);
  lengths.insert(lengths.end(), {0x2D, 7});
  le16(lengths, 2);
  le32(lengths, 0);
  seeds.add(kTarget, "lengths_alpha_tooltip_winop", lengths);
}

// ---- graphics_definition: host library selector, then a definition ------------------------

void add_definition_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "graphics_definition";
  graphics::GraphicsDefinition define;
  define.mode = graphics::kDefine;
  define.record.set32(76, 1000);
  define.record.set32(80, 500);
  define.record.set16(70, 400);
  define.record.set16(72, 200);
  seeds.add(kTarget, "define", prefixed({3}, graphics::build_graphics_definition(define, true)));
  seeds.add(kTarget, "define_old_library",
            prefixed({0}, graphics::build_graphics_definition(define, false)));
  // With toolbar items and an icon list: one item naming the icon, one entry inside the icon
  // data and one past it.
  graphics::GraphicsDefinition items = define;
  items.record.set16(74, graphics::kToolbarItems | graphics::kIconList);
  items.toolbar.assign(graphics::kToolbarItemSize, 0);
  std::memcpy(items.toolbar.data(), "Zoom", 4);
  std::memcpy(items.toolbar.data() + 148, "zoom", 4);
  items.toolbar[171] = 6;
  items.icons.assign(2 * graphics::kIconEntrySize, 0);
  std::memcpy(items.icons.data(), "zoom", 4);
  items.icons[32] = 4;  // 4 bytes at offset 0
  std::memcpy(items.icons.data() + graphics::kIconEntrySize, "far", 3);
  items.icons[graphics::kIconEntrySize + 32] = 4;
  items.icons[graphics::kIconEntrySize + 36] = 2;  // 4 bytes at offset 2: past the data
  items.icon_data = {0x89, 'P', 'N', 'G'};
  seeds.add(kTarget, "define_toolbar_icons",
            prefixed({3}, graphics::build_graphics_definition(items, true)));
  graphics::GraphicsDefinition element = define;
  element.mode = graphics::kElementOperation;
  element.record.set16(64, 44);
  element.record.set32(68, -1);
  seeds.add(kTarget, "sub_window",
            prefixed({3}, graphics::build_graphics_definition(element, true)));
  graphics::GraphicsDefinition end = define;
  end.mode = graphics::kEndDefinition;
  seeds.add(kTarget, "end", prefixed({2}, graphics::build_graphics_definition(end, true)));
}

// ---- page_file: a stored page of 2 x 3 pixels ----------------------------------------------

void add_page_file_seeds(SeedSet& seeds) {
  std::uint8_t header[graphics::kPageHeaderSize];
  graphics::put_page_file_header(header, 2, 3);
  Bytes file(header, header + graphics::kPageHeaderSize);
  for (int i = 0; i < 2 * 3; ++i) file.insert(file.end(), {0x10, 0x20, 0x30, 0xFF});
  seeds.add("page_file", "two_by_three", file);
}

}  // namespace

void add_graphics_seeds(SeedSet& seeds) {
  add_definition_seeds(seeds);
  add_page_file_seeds(seeds);
  add_jpeg_seeds(seeds);
  add_tiff_seeds(seeds);
  add_width_table_seeds(seeds);
  add_stream_seeds(seeds);
}

}  // namespace kovw::fuzz
