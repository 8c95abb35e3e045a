#pragma once
// What the graphics command stream asks of the window it draws into. The interpreter decodes
// each command and keeps the drawing state; an implementation of this interface draws (the
// session's graphics windows draw with the painter renderer), shows tooltips and pictures and
// carries out window operations. Every call names the stream window it is for.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "graphics/drawing_state.h"

namespace kovw::graphics {

struct StreamWindow;

// DB_SENSE: tooltip areas.
struct SenseCommand {
  int kind = 0;   // 0x26 add, 0x27 remove, 0x28 levels and activation
  int flags = 0;  // 0x0800: the text is UTF-8
  std::int32_t value = 0;
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // world units
  std::string_view text;
};

inline constexpr int kSenseAdd = 0x26;
inline constexpr int kSenseRemove = 0x27;
inline constexpr int kSenseLevel = 0x28;
inline constexpr int kSenseTextMax = 512;

// DB_PICTURE: a picture in a world rectangle with the picture parameters as sent.
struct PictureCommand {
  int kind = 0;
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::string_view file_name;                // at most 259 bytes
  std::span<const std::uint8_t> parameters;  // 66 bytes
};

// DB_MEDIAOPT: the program window's media defaults.
struct MediaDefaults {
  int m1 = 0, m2 = 0, m3 = 0, m4 = 0, m5 = 0;
};

// DB_MEDIA: a media element with the defaults in force.
struct MediaCommand {
  int kind = 0;
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::string_view file_name;
  std::int32_t m = 0;
  std::span<const std::uint8_t> tail;  // 16 bytes
  MediaDefaults defaults;
};

inline constexpr std::size_t kFileNameKept = 259;

class DrawingOperations {
 public:
  virtual ~DrawingOperations() = default;

  virtual void lines(StreamWindow& window, std::span<const WorldPoint> points) = 0;
  virtual void circle(StreamWindow& window, const CircleCommand& circle) = 0;
  virtual void rectangle(StreamWindow& window, const RectangleCommand& rectangle) = 0;
  virtual void text(StreamWindow& window, std::int32_t x, std::int32_t y,
                    std::string_view bytes) = 0;
  virtual void bars(StreamWindow& window, const BarsCommand& bars) = 0;
  virtual void control(StreamWindow& window, int kind, int state, std::int32_t x1, std::int32_t y1,
                       std::int32_t x2, std::int32_t y2) = 0;
  virtual void picture(StreamWindow& window, const PictureCommand& picture) = 0;
  virtual void media(StreamWindow& window, const MediaCommand& media) = 0;
  // DB_FONT: the font of the window's state is selected at once.
  virtual void select_font(StreamWindow& window) = 0;
  // DB_SETFONT: entry `number` of the font name table changed; fonts are made again.
  virtual void font_name_changed(int number) = 0;
  virtual void tooltip(StreamWindow& window, const SenseCommand& sense) = 0;
  // DB_WINOP 3 (hide), 4 (show) and 5 (a further operation) on the window `id`.
  virtual void window_operation(int operation, std::int32_t id) = 0;
  // DB_WINSEG 1 and 2 grew the window's drawn extent (the scroll bars follow it); 4 dropped
  // every segment.
  virtual void segments_changed(StreamWindow& window) = 0;
  // DB_PIEP.
  virtual void beep() = 0;
  // The window is shown as drawn so far.
  virtual void repaint(StreamWindow& window) = 0;
  // Milliseconds of a steady clock, for the repaint throttle.
  virtual std::int64_t now_ms() = 0;
};

// Does nothing; for the fuzz target and for measuring the interpreter alone.
class NullDrawingOperations : public DrawingOperations {
 public:
  void lines(StreamWindow&, std::span<const WorldPoint>) override {}
  void circle(StreamWindow&, const CircleCommand&) override {}
  void rectangle(StreamWindow&, const RectangleCommand&) override {}
  void text(StreamWindow&, std::int32_t, std::int32_t, std::string_view) override {}
  void bars(StreamWindow&, const BarsCommand&) override {}
  void control(StreamWindow&, int, int, std::int32_t, std::int32_t, std::int32_t,
               std::int32_t) override {}
  void picture(StreamWindow&, const PictureCommand&) override {}
  void media(StreamWindow&, const MediaCommand&) override {}
  void select_font(StreamWindow&) override {}
  void font_name_changed(int) override {}
  void tooltip(StreamWindow&, const SenseCommand&) override {}
  void window_operation(int, std::int32_t) override {}
  void segments_changed(StreamWindow&) override {}
  void beep() override {}
  void repaint(StreamWindow&) override {}
  std::int64_t now_ms() override { return 0; }
};

}  // namespace kovw::graphics
