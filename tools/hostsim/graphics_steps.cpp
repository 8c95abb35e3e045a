#include "graphics_steps.h"

#include <cstdint>
#include <cstdio>

#include "graphics/graphics_definition.h"
#include "graphics/stream_opcodes.h"
#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/little_endian.h"
#include "protocol/payload_codec.h"
#include "script.h"

namespace hostsim {

namespace proto = kovw::protocol;
namespace gfx = kovw::graphics;
namespace net = kovw::net;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Operands {
  Bytes bytes;
  Operands& u8(int v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Operands& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  Operands& i32(int v) {
    for (int i = 0; i < 4; ++i) u8((static_cast<unsigned>(v) >> (8 * i)) & 0xFF);
    return *this;
  }
  Operands& text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
};

// One stream message of one command with its length.
proto::Outgoing stream_command(int opcode, const Operands& operands) {
  proto::Outgoing out{net::KWD_STREAM, net::KWK_SDLEN, {}};
  out.payload.push_back(static_cast<std::uint8_t>(opcode));
  const std::size_t n = operands.bytes.size();
  if (n + 1 < 0x80) {
    out.payload.push_back(static_cast<std::uint8_t>(n + 1));
  } else {
    out.payload.push_back(static_cast<std::uint8_t>(0x80 | ((n + 2) >> 8)));
    out.payload.push_back(static_cast<std::uint8_t>((n + 2) & 0xFF));
  }
  out.payload.insert(out.payload.end(), operands.bytes.begin(), operands.bytes.end());
  return out;
}

// A mode-1 definition: the record with the world, the drawing area, the title and the
// background; an empty page definition, zero window options and display record, no elements.
proto::Outgoing definition(int mode, const std::vector<int>& ints, const std::string& title) {
  gfx::WindowRecord r;
  if (mode == gfx::kDefine) {
    r.set32(76, ints[0]);
    r.set32(80, ints[1]);
    if (ints.size() > 3) {
      r.set16(70, ints[2]);
      r.set16(72, ints[3]);
    }
    r.set16(74, gfx::kKeepAspect);
    const std::string name = "hostsim";
    for (std::size_t i = 0; i < 10; ++i) r.set8(158 + i, i < name.size() ? name[i] : ' ');
    for (std::size_t i = 0; i < title.size() && i < 69; ++i) r.set8(168 + i, title[i]);
    const int rgb = ints.size() > 4 ? ints[4] : 0xFFFFFF;
    r.set16(96 + 4, (rgb >> 16) & 0xFF);
    r.set16(96 + 6, (rgb >> 8) & 0xFF);
    r.set16(96 + 8, rgb & 0xFF);
    r.set16(96 + 10, 0x0003);
  }
  gfx::GraphicsDefinition d;
  d.mode = mode;
  d.record = r;
  d.page.assign(64, 0);
  // The extended settings of host libraries from 6.11.0 go along (older ones ignore them).
  return proto::Outgoing{net::KWD_DIGRA, net::KWK_GDIGRA, gfx::build_graphics_definition(d, true)};
}

// A mode-5 definition: one element operation with its operands.
proto::Outgoing element_operation(const gfx::GraphicsDefinition& d) {
  return proto::Outgoing{net::KWD_DIGRA, net::KWK_GDIGRA, gfx::build_graphics_definition(d, true)};
}

gfx::GraphicsDefinition element(int operation) {
  gfx::GraphicsDefinition d;
  d.mode = gfx::kElementOperation;
  d.record.set16(64, static_cast<std::int16_t>(operation));
  return d;
}

}  // namespace

std::optional<proto::Outgoing> parse_graphics_step(const std::vector<std::string>& w,
                                                   std::string& error) {
  const std::string& command = w[0];
  if (command.empty() || command[0] != 'G') return std::nullopt;
  // Numbers from word 1 on, except the words that are texts.
  std::vector<int> ints;
  std::string text;
  auto read = [&](std::size_t least, std::size_t most, int text_at = -1) {
    const std::size_t args = w.size() - 1;
    if (args < least || args > most) {
      error = command + ": wrong number of arguments";
      return false;
    }
    for (std::size_t i = 1; i < w.size(); ++i) {
      if (static_cast<int>(i) == text_at) {
        text = w[i];
        continue;
      }
      int v = 0;
      if (!script_int(w[i], v)) {
        error = command + ": not a number: " + w[i];
        return false;
      }
      ints.push_back(v);
    }
    return true;
  };
  if (command == "GDIGRA") {
    // GDIGRA WORLD_W WORLD_H [WIDTH HEIGHT ["title" [0xRRGGBB]]]
    if (!read(2, 6, 5)) return std::nullopt;
    if (ints.size() == 3) {
      error = "GDIGRA: width and height come together";
      return std::nullopt;
    }
    return definition(gfx::kDefine, ints, text);
  }
  if (command == "GEND") {
    if (!read(0, 0)) return std::nullopt;
    return definition(gfx::kEndDefinition, ints, text);
  }
  if (command == "GCOLOUR") {
    // GCOLOUR SLOT 0xRRGGBB [ALPHA]: slot 0x10 text, 0x15 lines, 0x16 circles, 0x19 rectangles.
    if (!read(2, 3)) return std::nullopt;
    Operands o;
    o.u8(ints[1] >> 16).u8(ints[1] >> 8).u8(ints[1]);
    if (ints.size() > 2) o.u8(ints[2]);
    return stream_command(ints[0], o);
  }
  if (command == "GBACKGROUND") {
    if (!read(1, 1)) return std::nullopt;
    return stream_command(gfx::DB_HGF,
                          Operands{}.u8(ints[0] >> 16).u8(ints[0] >> 8).u8(ints[0]).u16(0));
  }
  if (command == "GLWID") {
    if (!read(1, 1)) return std::nullopt;
    return stream_command(gfx::DB_LWID, Operands{}.u8(ints[0]));
  }
  if (command == "GFILL") {
    // GFILL STYLE [OPTION]: 0 none, 1 solid, 2-7 hatched, 101-199 shaded.
    if (!read(1, 2)) return std::nullopt;
    if (ints.size() == 1) return stream_command(gfx::DB_FILL, Operands{}.u8(ints[0]));
    return stream_command(gfx::DB_FILL2, Operands{}.u8(ints[0]).u8(ints[1]));
  }
  if (command == "GLINE") {
    if (!read(2, 200) || ints.size() % 2 != 0) {
      if (error.empty()) error = "GLINE: x y pairs expected";
      return std::nullopt;
    }
    Operands o;
    o.u16(static_cast<int>(ints.size() / 2));
    for (int v : ints) o.i32(v);
    return stream_command(gfx::DB_LINE, o);
  }
  if (command == "GRECT") {
    // GRECT X1 Y1 X2 Y2 [STYLE [FRAME_KIND [FLAGS [RADIUS]]]]
    if (!read(4, 8)) return std::nullopt;
    ints.resize(8, 0);
    Operands o;
    o.u8(0).u16(ints[4]).u16(ints[5]).u8(ints[6]).u8(0);
    o.i32(ints[0]).i32(ints[1]).i32(ints[2]).i32(ints[3]).u8(0).u16(ints[7]);
    return stream_command(gfx::DB_RECT, o);
  }
  if (command == "GCIRCLE") {
    // GCIRCLE X Y RADIUS [START END] in hundredths of a degree.
    if (!read(3, 5)) return std::nullopt;
    ints.resize(5, 0);
    if (w.size() <= 4) ints[4] = 36000;
    Operands o;
    o.u8(0).u8(0).i32(ints[0]).i32(ints[1]).i32(ints[2]).i32(ints[3]).i32(ints[4]);
    return stream_command(gfx::DB_KREIS, o);
  }
  if (command == "GFONT") {
    // GFONT NUMBER SIZE [OPTIONS]: the size in points (tenths with option 0x40).
    if (!read(2, 3)) return std::nullopt;
    ints.resize(3, 0);
    return stream_command(gfx::DB_FONT, Operands{}.u8(ints[2]).u8(ints[0]).u16(ints[1]).u16(0));
  }
  if (command == "GSETFONT") {
    // GSETFONT NUMBER "face": entry NUMBER (0-19) of the font name table.
    if (!read(2, 2, 2)) return std::nullopt;
    return stream_command(gfx::DB_SETFONT,
                          Operands{}.u8(ints[0]).u16(static_cast<int>(text.size())).text(text));
  }
  if (command == "GTOPT") {
    // GTOPT FLAGS: the text flags (0x0100 right, 0x0800 centred, 0x0002 opaque).
    if (!read(1, 1)) return std::nullopt;
    return stream_command(gfx::DB_TOPT, Operands{}.u16(0).u16(ints[0]).u8(0).u8(0).u16(0).u16(0));
  }
  if (command == "GTEXT") {
    if (!read(3, 3, 3)) return std::nullopt;
    return stream_command(
        gfx::DB_TEXT,
        Operands{}.u16(static_cast<int>(text.size())).i32(ints[0]).i32(ints[1]).text(text));
  }
  if (command == "GTIP") {
    // GTIP X1 Y1 X2 Y2 VALUE "text": a tooltip area.
    if (!read(6, 6, 6)) return std::nullopt;
    if (text.size() > 255) text.resize(255);
    Operands o;
    o.u16(gfx::DB_SENSE).u16(static_cast<int>(text.size()) | 0x0800).i32(ints[4]);
    o.i32(ints[0]).i32(ints[1]).i32(ints[2]).i32(ints[3]).i32(0).text(text);
    return stream_command(gfx::DB_SENSE, o);
  }
  if (command == "GGET") {
    // GGET [TIMEOUT [FLAGS]]: wait for a click or key in the graphics window (TIMEOUT in steps
    // of 0.8 s, 0 without limit); the answer is logged decoded (wait for it with expect GGET).
    if (!read(0, 2)) return std::nullopt;
    ints.resize(2, 0);
    proto::Outgoing out{net::KWD_DIGRA, net::KWK_GGET, {}};
    proto::PayloadWriter(out.payload).int_field(ints[1]).int_field(ints[0]);
    return out;
  }
  if (command == "GFIELD") {
    // GFIELD X Y LENGTH KIND SIZE "help": an input field of LENGTH characters inside the window,
    // its text's baseline starting at world (X, Y), in font 1 of SIZE; KIND 1 takes capitals.
    // The reply comes when the user leaves it (expect GDIGRA).
    if (!read(6, 6, 6)) return std::nullopt;
    gfx::GraphicsDefinition d = element(25);
    d.record.set32(68, ints[0]);
    d.record.set32(72, ints[1]);
    d.record.set8(76, 1);
    d.record.set16(78, static_cast<std::int16_t>(ints[4]));
    d.record.set16(88, static_cast<std::int16_t>(ints[2]));
    for (const std::size_t at : {std::size_t{92}, std::size_t{104}}) {
      const std::int16_t level = at == 92 ? 0 : 255;  // black on white
      d.record.set16(at + 4, level);
      d.record.set16(at + 6, level);
      d.record.set16(at + 8, level);
      d.record.set16(at + 10, 0x0003);
    }
    d.element_data.assign(gfx::kInputFieldSize, 0);
    d.element_data[44] = static_cast<std::uint8_t>(ints[3]);
    for (std::size_t i = 0; i < text.size() && i < 60; ++i)
      d.element_data[63 + i] = static_cast<std::uint8_t>(text[i]);
    return element_operation(d);
  }
  if (command == "GSTOREPAGE") {
    // GSTOREPAGE "title": keep the window's picture as a page of its history (the user pages
    // through them with the page keys); answered at once.
    if (!read(1, 1, 1)) return std::nullopt;
    gfx::GraphicsDefinition d = element(17);
    d.record.set16(78, static_cast<std::int16_t>(0x8000));
    d.record.set8(67, 0x01 | 0x04 | 0x80);
    for (std::size_t i = 0; i < text.size() && i < 127; ++i) d.record.set8(132 + i, text[i]);
    return element_operation(d);
  }
  if (command == "GFLUSH") {
    if (!read(0, 0)) return std::nullopt;
    return stream_command(gfx::DB_FLUSH, Operands{});
  }
  return std::nullopt;
}

std::string describe_input_answer(std::span<const std::uint8_t> payload) {
  net::FieldCursor at(payload);
  static const char* const kNames[] = {"kind", "key", "x", "y", "device_x", "device_y"};
  std::string text;
  for (const char* name : kNames)
    text += std::string(" ") + name + "=" + std::to_string(net::get_int_field(at));
  return at.failed ? " malformed" : text;
}

std::string describe_definition_reply(std::span<const std::uint8_t> payload) {
  net::FieldCursor at(payload);
  const int mode = net::get_int_field(at);
  Bytes record(gfx::kWindowRecordSize, 0);
  std::size_t length = 0;
  const long word = net::get_tagged_field(at, record, &length, gfx::kWindowRecordTag);
  if (at.failed || word < 0) return " malformed";
  const gfx::WindowRecord r(record);
  char options[16];
  std::snprintf(options, sizeof options, "0x%04X", static_cast<unsigned>(r.u16(38)));
  if (mode == gfx::kElementOperation) {
    std::string answer =
        " mode=5 operation=" + std::to_string(r.i16(64)) + " result=" + std::to_string(r.i32(56));
    if (r.i16(64) == 25)
      answer += " key=" + std::to_string(r.i16(82)) + " text=\"" + r.text(144, 80) + "\"";
    return answer;
  }
  return " mode=" + std::to_string(mode) + " result=" + std::to_string(r.i32(56)) +
         " area=" + std::to_string(r.u16(70)) + "x" + std::to_string(r.u16(72)) +
         " world=" + std::to_string(r.world_width()) + "x" + std::to_string(r.world_height()) +
         " window=" + std::to_string(r.i32(60)) + " options=" + options;
}

}  // namespace hostsim
