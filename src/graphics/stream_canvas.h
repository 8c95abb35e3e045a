#pragma once
// The graphics stream drawing into pictures: the interpreter of a program's stream together
// with the off-screen picture of each of its graphics windows, the renderer and fonts that
// draw into it, and the window's tooltip areas. What is shown, and when, is the owner's part
// (repaint, beep, window operations); this class only draws.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "graphics/drawing_operations.h"
#include "graphics/font_selector.h"
#include "graphics/graphics_canvas.h"
#include "graphics/offscreen_view.h"
#include "graphics/painter_renderer.h"
#include "graphics/picture_display.h"
#include "graphics/stream_interpreter.h"

namespace kovw::graphics {

// A tooltip area of a window: its identifier (from 1001), the host's value, where and what.
struct TooltipArea {
  int id = 0;
  std::int32_t value = 0;
  QRect rect;
  QString text;
};

inline constexpr std::size_t kLevelsMax = 20;
inline constexpr int kLevelsFull = 119;
inline constexpr int kLevelNoMemory = 120;
inline constexpr std::size_t kRegionsMax = 64;
inline constexpr int kRegionsFull = 119;
inline constexpr std::int64_t kRegionPixelsMax = std::int64_t{32} << 20;

class StreamCanvas : public DrawingOperations {
 public:
  StreamCanvas();
  ~StreamCanvas() override;

  StreamInterpreter& stream() { return stream_; }
  FontWindowFacts& font_facts() { return font_facts_; }
  void set_host_version(std::int32_t version) { host_version_ = version; }
  void set_program(int program) { program_ = program; }
  // How pictures that are host files reach the workstation (the file cache).
  void set_host_file_fetch(HostFileFetch fetch) { fetch_ = std::move(fetch); }

  // Makes window `id` with a picture of `width` x `height` filled with `background`; false
  // when the picture's memory cannot be had (the window then draws nothing).
  bool create_window(std::int32_t id, const WorldMapping& mapping, int width, int height,
                     Argb background);
  // Makes window `id` draw on a printer's page through `page` (which must outlive it), with a
  // drawing area of `width` x `height` dots.
  void attach_window(std::int32_t id, const WorldMapping& mapping, QPainter& page, int width,
                     int height, Argb background);
  // Drops every window.
  void release_windows();
  // Fills the picture of every window with its background.
  void clear_pictures();
  // Fills the device rectangle of the world corners with the window's background.
  void clear_rectangle(std::int32_t id, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                       std::int32_t y2);
  // Drawing levels: opening one keeps the picture as it is and drawing goes on over it;
  // closing the top one shows the picture as it was when it was opened. Opening returns 0, or
  // kLevelsFull at kLevelsMax open levels, kLevelNoMemory when the copy cannot be had.
  int open_level(std::int32_t id);
  void close_level(std::int32_t id);
  // Stored regions: a copy of the device rectangle of the world corners (of the whole picture
  // with `whole`) kept under `key`; storing again under a key replaces it. Returns 0, or
  // kRegionsFull when kRegionsMax regions are kept, kLevelNoMemory when the copy is larger than
  // what is left of kRegionPixelsMax or cannot be had.
  int store_region(std::int32_t id, std::int32_t key, bool whole, std::int32_t x1, std::int32_t y1,
                   std::int32_t x2, std::int32_t y2);
  // Copies region `key` back at its old place, or with `at` its top left corner at the world
  // position (x, y). False when there is no such region.
  bool restore_region(std::int32_t id, std::int32_t key, bool at, std::int32_t x, std::int32_t y);

  const QImage* picture(std::int32_t id) const;
  // The picture of a segmented window's view: its own picture behind, every segment that
  // reaches into the view replayed with the scroll as offset, the headers on top.
  QImage segmented_picture(std::int32_t id, const SegmentedView& view);
  const std::vector<TooltipArea>* tooltips(std::int32_t id) const;
  // Selects `request` in window `id` as a font information request does (problems only
  // logged; `wide_widths` also measures every character); the window's current font after it,
  // null when it has none.
  std::shared_ptr<CachedFont> information_font(std::int32_t id, const FontRequest& request,
                                               bool wide_widths);
  // The font window `id` draws texts with now, null before it selected one.
  std::shared_ptr<CachedFont> current_font(std::int32_t id);
  bool tooltips_active() const { return tips_active_; }
  // The measurements of the last text window `id` drew (zeros before the first).
  LastText last_text(std::int32_t id) const;

  // DrawingOperations: the drawing part.
  void lines(StreamWindow& window, std::span<const WorldPoint> points) override;
  void circle(StreamWindow& window, const CircleCommand& circle) override;
  void rectangle(StreamWindow& window, const RectangleCommand& rectangle) override;
  void text(StreamWindow& window, std::int32_t x, std::int32_t y, std::string_view bytes) override;
  void bars(StreamWindow& window, const BarsCommand& bars) override;
  void control(StreamWindow& window, int kind, int state, std::int32_t x1, std::int32_t y1,
               std::int32_t x2, std::int32_t y2) override;
  void picture(StreamWindow& window, const PictureCommand& picture) override;
  // No media player is part of the workstation: a media element is logged and left out.
  void media(StreamWindow& window, const MediaCommand& media) override;
  void select_font(StreamWindow& window) override;
  void font_name_changed(int number) override;
  void tooltip(StreamWindow& window, const SenseCommand& sense) override;
  void window_operation(int operation, std::int32_t id) override;
  void segments_changed(StreamWindow& window) override;
  void beep() override {}
  void repaint(StreamWindow&) override {}
  std::int64_t now_ms() override;

 private:
  struct Surface;
  StreamWindow& new_window(std::int32_t id, const WorldMapping& mapping, int width, int height,
                           Argb background);
  void add_surface(std::int32_t id, std::unique_ptr<Surface> surface, const StreamWindow& window,
                   QPainter& painter, const QPaintDevice* font_device, Argb background);
  Surface* surface(std::int32_t id);
  const Surface* surface(std::int32_t id) const;

  StreamInterpreter stream_;
  std::map<std::int32_t, std::unique_ptr<Surface>> surfaces_;
  FontWindowFacts font_facts_;
  std::int32_t host_version_ = 0;
  int program_ = 0;
  HostFileFetch fetch_;
  bool tips_active_ = true;
  int next_tip_id_ = 1001;
};

}  // namespace kovw::graphics
