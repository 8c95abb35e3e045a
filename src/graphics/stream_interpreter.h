#pragma once
// The graphics command stream of one program: its graphics windows with their drawing state,
// the current window and the stack of windows made current before it, the program window's
// font name table and media defaults. A message is interpreted in order: attribute commands
// change the current window's state, drawing commands go to the drawing operations, and a
// segmented window that is recording stores the commands instead of drawing them.
//
// Recorded segments are replayed through the same interpreter; a replay never carries out the
// control commands DB_WINSEG, DB_WINOP and DB_FLUSH that a recording may hold, since they
// change the segments and windows while they are being replayed.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "graphics/drawing_operations.h"
#include "graphics/drawing_state.h"
#include "graphics/font_names.h"
#include "graphics/segment_store.h"
#include "graphics/stream_reader.h"
#include "graphics/world_mapping.h"

namespace kovw::graphics {

inline constexpr std::size_t kSavedBackgroundsMax = 20;
inline constexpr std::size_t kWindowStackMax = 100;
inline constexpr std::int64_t kRepaintIntervalMs = 2000;
// The result of a message whose segment could not be stored.
inline constexpr int kSegmentMemoryError = 249;

// One graphics window as the stream sees it.
struct StreamWindow {
  std::int32_t id = 0;
  DrawingAttributes attributes;
  std::vector<Argb> saved_backgrounds;  // DB_HGF mode 1, at most kSavedBackgroundsMax
  WorldMapping mapping;
  // Segmented windows: the directions in which the drawing area is larger than the view, the
  // view's size and the extent the segments reach (device pixels).
  bool virtual_x = false;
  bool virtual_y = false;
  int visible_width = 0;
  int visible_height = 0;
  int extent_width = 0;
  int extent_height = 0;
  SegmentStore segments;
  bool changed = false;  // drawn into since the last repaint
  std::int64_t repaint_due = 0;

  bool segmented() const { return virtual_x || virtual_y; }
};

// What the program and its window contribute to a message.
struct StreamContext {
  std::int32_t library_version = 0;
  bool printing = false;
  bool suppress_repaints = false;  // window flag 0x0008
  bool repaint_always = false;     // window flag 0x0004
  bool trace = false;              // log every command
};

class StreamInterpreter {
 public:
  explicit StreamInterpreter(DrawingOperations& operations) : operations_(operations) {}

  // Makes a window with identifier `id` and a fresh state (replacing one with that
  // identifier); the first window becomes current.
  StreamWindow& add_window(std::int32_t id);
  // Drops every window (the definition ended).
  void clear();
  StreamWindow* window(std::int32_t id);
  StreamWindow* current() { return window(current_); }
  std::int32_t current_id() const { return current_; }
  const std::vector<std::unique_ptr<StreamWindow>>& windows() const { return windows_; }

  const FontNameTable& font_names() const { return font_names_; }
  const MediaDefaults& media_defaults() const { return media_defaults_; }
  bool recording() const { return recording_ != nullptr; }

  // Interprets one message of stream `type` (1, 3 or 4). Returns 0, or kSegmentMemoryError
  // when a segment could not be stored (the rest of the message is not interpreted).
  int interpret(std::span<const std::uint8_t> bytes, int type, const StreamContext& context);

  // Replays every chunk of `segment` of `window` (the window is current meanwhile).
  void replay(StreamWindow& window, const Segment& segment, const StreamContext& context);

 private:
  enum class Mode { Live, Replay };
  int run(StreamReader& reader, const StreamContext& context, Mode mode);
  bool record(StreamReader& reader);
  void carry_out(const StreamCommand& command, const StreamContext& context, Mode mode);
  void window_segments(const StreamCommand& command);
  void window_operation(int operation, std::int32_t id);
  void sense(const StreamCommand& command, const StreamContext& context);
  void end_recording();
  void check_repaint(StreamWindow& window, const StreamContext& context);

  DrawingOperations& operations_;
  std::vector<std::unique_ptr<StreamWindow>> windows_;
  std::int32_t current_ = 0;
  std::vector<std::int32_t> previous_;  // DB_WINOP 1 pushes, 2 pops
  FontNameTable font_names_;
  MediaDefaults media_defaults_;
  StreamWindow* recording_window_ = nullptr;
  Segment* recording_ = nullptr;
  bool flush_requested_ = false;
};

}  // namespace kovw::graphics
