#pragma once
// The graphics windows of a program: the definition of the window (KWK_GDIGRA) and its end,
// the drawing commands of the graphics stream (KWD_STREAM), and the requests that read the
// window's mapping (KWK_GPOS, KWK_GRES).
//
// Each graphics window draws on the program thread into an off-screen picture of its whole
// drawing area; the stream's repaints hand a copy of the picture, with the window's tooltip
// areas, to the view. Repaints are throttled (one every two seconds unless the host flushes);
// whatever a message drew and no repaint showed yet is shown when the throttle's time is up.

#include <QBasicTimer>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "graphics/drawing_operations.h"
#include "graphics/font_selector.h"
#include "graphics/graphics_canvas.h"
#include "graphics/graphics_definition.h"
#include "graphics/painter_renderer.h"
#include "graphics/stream_interpreter.h"
#include "session/event_channel.h"

namespace kovw::session {

class CommandTable;
struct ProgramSession;

// A tooltip area of a window: its identifier (from 1001), the host's value, where and what.
struct TooltipArea {
  int id = 0;
  std::int32_t value = 0;
  QRect rect;
  QString text;
};

class GraphicsProgram : public QObject, public graphics::DrawingOperations {
 public:
  explicit GraphicsProgram(ProgramSession& session);
  ~GraphicsProgram() override;

  graphics::StreamInterpreter& stream() { return stream_; }
  bool open() const { return open_; }
  const graphics::GraphicsDefinition& definition() const { return definition_; }

  // KWK_GDIGRA: carries out the definition and sends its reply.
  void define(std::span<const std::uint8_t> payload);
  // KWD_STREAM types 1, 3 and 4.
  int interpret(std::span<const std::uint8_t> payload, int type);
  // The picture of window `id` (tests, hardcopy).
  const QImage* picture(std::int32_t id) const;
  const std::vector<TooltipArea>* tooltips(std::int32_t id) const;

  // DrawingOperations.
  void lines(graphics::StreamWindow& window, std::span<const graphics::WorldPoint> points) override;
  void circle(graphics::StreamWindow& window, const graphics::CircleCommand& circle) override;
  void rectangle(graphics::StreamWindow& window,
                 const graphics::RectangleCommand& rectangle) override;
  void text(graphics::StreamWindow& window, std::int32_t x, std::int32_t y,
            std::string_view bytes) override;
  void bars(graphics::StreamWindow& window, const graphics::BarsCommand& bars) override;
  void control(graphics::StreamWindow& window, int kind, int state, std::int32_t x1,
               std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
  void picture(graphics::StreamWindow& window, const graphics::PictureCommand& picture) override;
  void media(graphics::StreamWindow& window, const graphics::MediaCommand& media) override;
  void select_font(graphics::StreamWindow& window) override;
  void font_name_changed(int number) override;
  void tooltip(graphics::StreamWindow& window, const graphics::SenseCommand& sense) override;
  void window_operation(int operation, std::int32_t id) override;
  void segments_changed(graphics::StreamWindow& window) override;
  void beep() override;
  void repaint(graphics::StreamWindow& window) override;
  std::int64_t now_ms() override;

 protected:
  void timerEvent(QTimerEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Surface;
  Surface* surface(std::int32_t id);
  void create_window(const graphics::WorldMapping& mapping, int width, int height,
                     graphics::Argb background);
  void release_windows();
  void fill_reply(int result);
  void post_picture(std::int32_t id);
  void schedule_pending_repaint();
  graphics::StreamContext context() const;

  ProgramSession& session_;
  graphics::StreamInterpreter stream_;
  graphics::GraphicsDefinition definition_;
  bool open_ = false;
  std::map<std::int32_t, std::unique_ptr<Surface>> surfaces_;
  graphics::FontWindowFacts font_facts_;
  QBasicTimer pending_repaint_;
  ChannelPtr receipts_;  // the view's receipts for pictures, bound to this object
  bool tips_active_ = true;
  int next_tip_id_ = 1001;
};

// The program's graphics, made on first use.
GraphicsProgram& graphics_program(ProgramSession& session);

void register_graphics_window_commands(CommandTable& table);

}  // namespace kovw::session
