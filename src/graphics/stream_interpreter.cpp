#include "graphics/stream_interpreter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

#include "foundation/log.h"
#include "graphics/stream_opcodes.h"
#include "protocol/little_endian.h"

namespace kovw::graphics {

namespace {

// Bounded reads of a command's operands: a number past the end reads as 0 (the command was
// checked for its fixed size before; only optional tails can be missing).
class Operands {
 public:
  explicit Operands(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t size() const { return bytes_.size(); }
  int u8(std::size_t at) const { return at < bytes_.size() ? bytes_[at] : 0; }
  int u16(std::size_t at) const {
    return at + 2 <= bytes_.size() ? protocol::le16(bytes_.data() + at) : 0;
  }
  std::int32_t i32(std::size_t at) const {
    return at + 4 <= bytes_.size() ? static_cast<std::int32_t>(protocol::le32(bytes_.data() + at))
                                   : 0;
  }
  // `count` bytes from `at`, as many as there are.
  std::span<const std::uint8_t> bytes(std::size_t at, std::size_t count) const {
    if (at >= bytes_.size()) return {};
    return bytes_.subspan(at, std::min(count, bytes_.size() - at));
  }
  std::string_view text(std::size_t at, std::size_t count) const {
    const auto b = bytes(at, count);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

Argb rgb(int alpha, int red, int green, int blue) {
  return (static_cast<Argb>(alpha) << 24) | (static_cast<Argb>(red) << 16) |
         (static_cast<Argb>(green) << 8) | static_cast<Argb>(blue);
}

bool is_attribute(int opcode) {
  switch (opcode) {
    case DB_RESET:
    case DB_FONT:
    case DB_TOPT:
    case DB_TOPT7:
    case DB_TANGLE:
    case DB_LART:
    case DB_LWID:
    case DB_LMARK:
    case DB_LOPT:
    case DB_FILL:
    case DB_FILL2:
    case DB_HGF:
    case DB_TLEN:
    case DB_SETFONT:
    case DB_MEDIAOPT:
      return true;
    default:
      return opcode >= DB_COLOUR_FIRST && opcode <= DB_COLOUR_LAST;
  }
}

bool is_drawing(int opcode) {
  switch (opcode) {
    case DB_TEXT:
    case DB_LINE:
    case DB_KREIS:
    case DB_KREIS_BOX:
    case DB_RECT:
    case DB_MSG:
    case DB_CONTROL:
    case DB_BARS:
    case DB_PICTURE:
    case DB_MEDIA:
      return true;
    default:
      return false;
  }
}

std::string_view file_name(const Operands& o, std::size_t n) {
  return o.text(19, std::min(n, kFileNameKept));
}

}  // namespace

StreamWindow& StreamInterpreter::add_window(std::int32_t id) {
  if (recording_window_ && recording_window_->id == id) end_recording();
  auto fresh = std::make_unique<StreamWindow>();
  fresh->id = id;
  for (auto& window : windows_) {
    if (window->id == id) {
      window = std::move(fresh);
      return *window;
    }
  }
  if (windows_.empty()) current_ = id;
  windows_.push_back(std::move(fresh));
  return *windows_.back();
}

void StreamInterpreter::clear() {
  end_recording();
  windows_.clear();
  previous_.clear();
  current_ = 0;
}

StreamWindow* StreamInterpreter::window(std::int32_t id) {
  for (auto& window : windows_)
    if (window->id == id) return window.get();
  return nullptr;
}

void StreamInterpreter::end_recording() {
  // What was recorded shows with the window's next repaint.
  if (recording_window_) recording_window_->changed = true;
  recording_ = nullptr;
  recording_window_ = nullptr;
}

int StreamInterpreter::interpret(std::span<const std::uint8_t> bytes, int type,
                                 const StreamContext& context) {
  flush_requested_ = false;
  StreamReader reader(bytes, type, context.library_version);
  return run(reader, context, Mode::Live);
}

void StreamInterpreter::replay(StreamWindow& window, const Segment& segment,
                               const StreamContext& context) {
  // A replay draws with the state its commands set; the window's own state is the host's
  // and comes back afterwards.
  const std::int32_t saved_current = current_;
  const DrawingAttributes saved_attributes = window.attributes;
  const std::vector<Argb> saved_backgrounds = window.saved_backgrounds;
  current_ = window.id;
  for (const SegmentChunk& chunk : segment.chunks) {
    if (chunk.bytes.empty()) continue;
    StreamReader reader(chunk.bytes, segment.stream_type, context.library_version);
    run(reader, context, Mode::Replay);
  }
  window.attributes = saved_attributes;
  window.saved_backgrounds = saved_backgrounds;
  current_ = saved_current;
}

int StreamInterpreter::run(StreamReader& reader, const StreamContext& context, Mode mode) {
  StreamCommand command;
  while (!reader.at_end()) {
    if (mode == Mode::Live && recording_ && reader.peek() != DB_WINSEG &&
        reader.peek() != DB_WINOP) {
      if (!record(reader)) return kSegmentMemoryError;
      continue;
    }
    if (!reader.next(command)) break;
    if (command.malformed) continue;
    if (context.trace)
      foundation::log_printf("DIGRAS: %s (0x%02X) Len %zu",
                             std::string(opcode_name(command.opcode)).c_str(), command.opcode,
                             command.operands.size());
    if (mode == Mode::Replay && (command.opcode == DB_WINSEG || command.opcode == DB_WINOP ||
                                 command.opcode == DB_FLUSH || command.opcode == DB_REFRESH))
      continue;
    // A command of a stream with lengths may be shorter than its operands: it is skipped.
    if (command.operands.size() < fixed_operand_size(command.opcode, 0)) continue;
    carry_out(command, context, mode);
    if (mode == Mode::Replay || command.opcode == DB_END || is_attribute(command.opcode)) continue;
    if (StreamWindow* window = current()) check_repaint(*window, context);
  }
  return 0;
}

bool StreamInterpreter::record(StreamReader& reader) {
  const std::size_t start = reader.offset();
  const std::span<const std::uint8_t> rest = reader.rest();
  std::size_t length = rest.size();
  if (reader.type() == kStreamWithLengths) {
    // Commands up to the next DB_WINSEG or DB_WINOP, found by their lengths; a command cut
    // short at the end of the message is not kept.
    StreamCommand command;
    std::size_t complete = 0;
    while (!reader.at_end() && reader.peek() != DB_WINSEG && reader.peek() != DB_WINOP) {
      if (!reader.next(command)) break;
      complete = reader.offset() - start;
    }
    length = complete;
  } else {
    reader.skip_rest();
  }
  if (length == 0) return true;
  SegmentStore& store = recording_window_->segments;
  if (!store.store(*recording_, rest.first(length), reader.type())) {
    foundation::log_printf(
        "KOVW: Kann keinen Speicher reservieren für Segment. Länge Zeichenbefehle: %d. Gesamt "
        "%d. Fehler %d",
        static_cast<int>(length),
        static_cast<int>(store.bytes_limit() - std::min(store.bytes_limit(), store.bytes_held())),
        ENOMEM);
    end_recording();
    return false;
  }
  return true;
}

void StreamInterpreter::check_repaint(StreamWindow& window, const StreamContext& context) {
  if (recording_ || context.suppress_repaints) return;
  if (!window.changed && !flush_requested_) return;
  const std::int64_t now = operations_.now_ms();
  if (flush_requested_ || context.repaint_always || now >= window.repaint_due) {
    operations_.repaint(window);
    window.changed = false;
    window.repaint_due = now + kRepaintIntervalMs;
  }
}

void StreamInterpreter::carry_out(const StreamCommand& command, const StreamContext& context,
                                  Mode mode) {
  const Operands o(command.operands);
  const int opcode = command.opcode;
  const std::int32_t version = context.library_version;

  // Commands of the program window, with or without a graphics window.
  switch (opcode) {
    case DB_SETFONT: {
      const int number = o.u8(0);
      if (font_names_.set(number, o.text(3, static_cast<std::size_t>(o.u16(1)))))
        operations_.font_name_changed(number);
      return;
    }
    case DB_MEDIAOPT:
      media_defaults_ = {o.u8(0), o.u8(1), o.u16(2), o.u16(4), o.u16(6)};
      return;
    case DB_WINOP:
      window_operation(o.u16(0), o.i32(2));
      return;
    case DB_PIEP:
      operations_.beep();
      return;
    case DB_FLUSH:
    case DB_REFRESH:
      if (mode == Mode::Live) flush_requested_ = true;
      return;
    default:
      break;
  }

  StreamWindow* window = current();
  if (!window) return;
  DrawingAttributes& a = window->attributes;
  switch (opcode) {
    case DB_FONT:
      a.font.options = o.u8(0);
      a.font.number = o.u8(1);
      a.font.size = o.u16(2);
      a.font.attribute = version >= kVersionFontAttribute ? o.u16(4) : 0;
      operations_.select_font(*window);
      break;
    case DB_TOPT:
    case DB_TOPT7:
      a.text = {o.u16(0),
                o.u16(2),
                o.u8(4),
                o.u8(5),
                o.u16(6),
                o.u16(8),
                opcode == DB_TOPT7 ? o.u8(10) : 0};
      break;
    case DB_TANGLE:
      a.text_angle = (version < kVersionTextAngle && !context.printing) ? 0 : o.i32(0);
      break;
    case DB_LART:
      a.line_type = o.u8(0);
      break;
    case DB_LWID:
      a.line_width = o.u8(0);
      break;
    case DB_LMARK:
      a.line_mark = o.u8(0);
      break;
    case DB_LOPT:
      a.line_options = o.u8(0);
      break;
    case DB_FILL:
      a.fill_style = o.u8(0);
      a.fill_option = 0;
      break;
    case DB_FILL2:
      a.fill_style = o.u8(0);
      a.fill_option = o.u8(1);
      break;
    case DB_TLEN:
      a.text_length = o.i32(0);
      break;
    case DB_HGF: {
      const Argb colour = rgb(0xFF, o.u8(0), o.u8(1), o.u8(2));
      const int how = o.u16(3);
      if (how == 2) {
        if (!window->saved_backgrounds.empty()) {
          a.background = window->saved_backgrounds.back();
          window->saved_backgrounds.pop_back();
        }
      } else {
        if (how == 1 && window->saved_backgrounds.size() < kSavedBackgroundsMax)
          window->saved_backgrounds.push_back(a.background);
        a.background = colour;
      }
      break;
    }
    case DB_TEXT:
      operations_.text(*window, o.i32(2), o.i32(6), o.text(10, static_cast<std::size_t>(o.u16(0))));
      break;
    case DB_MSG:
      operations_.text(*window, 0, 0, o.text(2, static_cast<std::size_t>(o.u16(0))));
      break;
    case DB_LINE: {
      // At most the first kLinePointsMax points are drawn; the count is bounded by the bytes.
      const std::size_t sent = std::min<std::size_t>(o.u16(0), (o.size() - 2) / 8);
      const std::size_t n = std::min(sent, kLinePointsMax);
      std::array<WorldPoint, kLinePointsMax> points;
      for (std::size_t i = 0; i < n; ++i) points[i] = {o.i32(2 + 8 * i), o.i32(6 + 8 * i)};
      operations_.lines(*window, std::span<const WorldPoint>(points.data(), n));
      break;
    }
    case DB_KREIS:
    case DB_KREIS_BOX: {
      CircleCommand c;
      c.flags = o.u8(0);
      c.arc_kind = o.u8(1);
      c.x = o.i32(2);
      c.y = o.i32(6);
      c.radius = o.i32(10);
      c.start = o.i32(14);
      c.end = o.i32(18);
      if (opcode == DB_KREIS_BOX) {
        c.extended = true;
        c.x1 = o.i32(22);
        c.y1 = o.i32(26);
        c.x2 = o.i32(30);
        c.y2 = o.i32(34);
      }
      operations_.circle(*window, c);
      break;
    }
    case DB_RECT: {
      RectangleCommand r;
      r.mode = o.u8(0);
      r.style = o.u16(1);
      r.frame_kind = o.u16(3);
      r.flags = o.u8(5);
      r.x1 = o.i32(7);
      r.y1 = o.i32(11);
      r.x2 = o.i32(15);
      r.y2 = o.i32(19);
      r.radius = version >= kVersionRectRadius ? o.u16(24) : 0;
      operations_.rectangle(*window, r);
      break;
    }
    case DB_CONTROL:
      operations_.control(*window, o.u8(0), o.u8(1), o.i32(2), o.i32(6), o.i32(10), o.i32(14));
      break;
    case DB_BARS: {
      BarsCommand b;
      b.x = o.i32(2);
      b.y = o.i32(6);
      b.module = o.i32(10);
      b.height = o.i32(14);
      b.direction = o.i32(18) & 0x06;
      b.pattern = o.bytes(22, static_cast<std::size_t>(o.u16(0)));
      operations_.bars(*window, b);
      break;
    }
    case DB_PICTURE: {
      const std::size_t n = static_cast<std::size_t>(o.u16(17));
      PictureCommand p;
      p.kind = o.u8(0);
      p.x1 = o.i32(1);
      p.y1 = o.i32(5);
      p.x2 = o.i32(9);
      p.y2 = o.i32(13);
      p.file_name = file_name(o, n);
      p.parameters = o.bytes(19 + n, 66);
      operations_.picture(*window, p);
      break;
    }
    case DB_MEDIA: {
      const std::size_t n = static_cast<std::size_t>(o.u16(17));
      MediaCommand m;
      m.kind = o.u8(0);
      m.x1 = o.i32(1);
      m.y1 = o.i32(5);
      m.x2 = o.i32(9);
      m.y2 = o.i32(13);
      m.file_name = file_name(o, n);
      m.m = o.i32(19 + n);
      m.tail = o.bytes(23 + n, 16);
      m.defaults = media_defaults_;
      operations_.media(*window, m);
      break;
    }
    case DB_SENSE:
      sense(command, context);
      break;
    case DB_WINSEG:
      window_segments(command);
      break;
    default:
      if (opcode >= DB_COLOUR_FIRST && opcode < DB_COLOUR_LAST) {
        const int alpha = (command.operands.size() > 3) ? o.u8(3) : 0xFF;
        a.colours.set(opcode, rgb(alpha, o.u8(0), o.u8(1), o.u8(2)));
      }
      break;
  }
  if (is_drawing(opcode) && mode == Mode::Live) window->changed = true;
}

void StreamInterpreter::window_operation(int operation, std::int32_t id) {
  end_recording();
  switch (operation) {
    case 1:
      if (!window(id)) {
        foundation::log_printf("KOV: Grafikfenster %d nicht vorhanden", id);
        return;
      }
      if (previous_.size() < kWindowStackMax) previous_.push_back(current_);
      current_ = id;
      return;
    case 2:
      if (!previous_.empty()) {
        current_ = previous_.back();
        previous_.pop_back();
      }
      return;
    case 3:
    case 4:
    case 5:
      operations_.window_operation(operation, id);
      return;
    default:
      return;
  }
}

void StreamInterpreter::window_segments(const StreamCommand& command) {
  StreamWindow& window = *current();
  if (!window.segmented()) {
    foundation::log_printf("KOV: Fenster %d nicht segmentiert!", window.id);
    return;
  }
  end_recording();
  const Operands o(command.operands);
  const int operation = o.u16(0);
  if (operation == 4) {
    window.segments.clear();
    if (!window.virtual_x) window.extent_width = window.visible_width;
    if (!window.virtual_y) window.extent_height = window.visible_height;
    window.changed = true;
    operations_.segments_changed(window);
    return;
  }
  if (operation != 1 && operation != 2) return;
  const DevicePoint a = window.mapping.map(o.i32(2), o.i32(6));
  const DevicePoint b = window.mapping.map(o.i32(10), o.i32(14));
  const SegmentRect rect = normalised(a.x, a.y, b.x, b.y);
  Segment* segment = window.segments.select(rect, operation == 2);
  if (!segment) {
    foundation::log_printf("KOV: Fehler beim suchen Segement in Fenster %s",
                           std::to_string(window.id).c_str());
    foundation::log_printf("KOVW: segment limit of %zu reached", window.segments.segments().size());
    return;
  }
  const bool grows = (window.virtual_x && rect.x2 > window.extent_width) ||
                     (window.virtual_y && rect.y2 > window.extent_height);
  window.extent_width = std::max(window.extent_width, rect.x2);
  window.extent_height = std::max(window.extent_height, rect.y2);
  if (grows) operations_.segments_changed(window);
  recording_window_ = &window;
  recording_ = segment;
}

void StreamInterpreter::sense(const StreamCommand& command, const StreamContext& context) {
  const Operands o(command.operands);
  SenseCommand s;
  s.kind = o.u16(0);
  s.flags = o.u16(2);
  s.value = o.i32(4);
  s.x1 = o.i32(8);
  s.y1 = o.i32(12);
  s.x2 = o.i32(16);
  s.y2 = o.i32(20);
  const bool names_window = context.library_version >= kVersionSenseWindow;
  const std::size_t text_at = names_window ? 28 : 24;
  s.text = o.text(text_at, static_cast<std::size_t>(s.flags & 0xFF));
  StreamWindow* target = current();
  if (names_window && command.operands.size() >= 28) {
    if (StreamWindow* named = window(o.i32(24))) target = named;
  }
  if (target) operations_.tooltip(*target, s);
}

}  // namespace kovw::graphics
