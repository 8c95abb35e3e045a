#pragma once
// A drawing interface that writes down what the stream asks of it, and a builder of stream
// messages with their little-endian operands.

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/drawing_operations.h"
#include "graphics/stream_interpreter.h"

namespace kovw::graphics {

class RecordingOperations : public DrawingOperations {
 public:
  std::vector<std::string> calls;
  std::vector<std::vector<WorldPoint>> lines_drawn;
  std::vector<std::string> texts;
  std::vector<SenseCommand> senses;
  std::vector<DrawingAttributes> states;  // the window's state at each drawing call
  std::int64_t clock = 0;
  int repaints = 0;

  void lines(StreamWindow& w, std::span<const WorldPoint> points) override {
    calls.push_back("lines");
    lines_drawn.emplace_back(points.begin(), points.end());
    states.push_back(w.attributes);
  }
  void circle(StreamWindow& w, const CircleCommand&) override { note("circle", w); }
  void rectangle(StreamWindow& w, const RectangleCommand&) override { note("rectangle", w); }
  void text(StreamWindow& w, std::int32_t x, std::int32_t y, std::string_view bytes) override {
    note("text", w);
    texts.push_back(std::to_string(x) + "," + std::to_string(y) + ":" + std::string(bytes));
  }
  void bars(StreamWindow& w, const BarsCommand&) override { note("bars", w); }
  void control(StreamWindow& w, int, int, std::int32_t, std::int32_t, std::int32_t,
               std::int32_t) override {
    note("control", w);
  }
  void picture(StreamWindow& w, const PictureCommand&) override { note("picture", w); }
  void media(StreamWindow& w, const MediaCommand&) override { note("media", w); }
  void select_font(StreamWindow&) override { calls.push_back("font"); }
  void font_name_changed(int number) override {
    calls.push_back("fontname " + std::to_string(number));
  }
  void tooltip(StreamWindow&, const SenseCommand& s) override {
    calls.push_back("tooltip");
    senses.push_back(s);
  }
  void window_operation(int operation, std::int32_t id) override {
    calls.push_back("winop " + std::to_string(operation) + " " + std::to_string(id));
  }
  void segments_changed(StreamWindow&) override { calls.push_back("segments"); }
  void beep() override { calls.push_back("beep"); }
  void repaint(StreamWindow&) override {
    calls.push_back("repaint");
    ++repaints;
  }
  std::int64_t now_ms() override { return clock; }

 private:
  void note(const char* what, StreamWindow& w) {
    calls.push_back(what);
    states.push_back(w.attributes);
  }
};

// Builds a stream message.
struct Stream {
  std::vector<std::uint8_t> bytes;
  Stream& u8(int v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Stream& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  Stream& i32(std::int32_t v) {
    for (int i = 0; i < 4; ++i) u8((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return *this;
  }
  Stream& text(const std::string& s) {
    for (char c : s) u8(static_cast<unsigned char>(c));
    return *this;
  }
  Stream& append(const Stream& other) {
    bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
    return *this;
  }
};

// One command with its type-4 length (one byte below 0x80, two bytes above).
inline Stream with_length(int opcode, const Stream& operands) {
  Stream s;
  s.u8(opcode);
  const std::size_t n = operands.bytes.size();
  if (n + 1 < 0x80) {
    s.u8(static_cast<int>(n + 1));
  } else {
    s.u8(static_cast<int>(0x80 | ((n + 2) >> 8))).u8(static_cast<int>((n + 2) & 0xFF));
  }
  return s.append(operands);
}

inline Stream line_operands(std::vector<std::pair<int, int>> points) {
  Stream s;
  s.u16(static_cast<int>(points.size()));
  for (auto [x, y] : points) s.i32(x).i32(y);
  return s;
}

inline Stream winseg_operands(int operation, int x1, int y1, int x2, int y2) {
  return Stream{}.u16(operation).i32(x1).i32(y1).i32(x2).i32(y2);
}

}  // namespace kovw::graphics
