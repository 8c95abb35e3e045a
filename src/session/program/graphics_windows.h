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
#include <QPicture>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "graphics/graphics_definition.h"
#include "graphics/graphics_input.h"
#include "graphics/print_pages.h"
#include "graphics/stream_canvas.h"
#include "session/event_channel.h"

namespace kovw::dialogs {
struct FieldStep;
}

namespace kovw::graphics {
class PageHistory;
}

namespace kovw::session {

// The window commands of the page history (function keys of the frame's items): the first,
// previous, next and last stored page, the list of pages, and scrolling to the bottom and the
// top of the drawing area. The page list's entries come back as frame items from
// kPageChoiceBase.
inline constexpr int kPageFirst = 11990;
inline constexpr int kPagePrevious = 11991;
inline constexpr int kPageNext = 11992;
inline constexpr int kPageLast = 11993;
inline constexpr int kPageList = 11994;
inline constexpr int kScrollBottom = 11995;
inline constexpr int kScrollTop = 11996;
inline constexpr int kPageChoiceBase = 41000;
inline constexpr int kPageChoicesMax = 999;

class CommandTable;
class PrintOutput;
struct ProgramSession;

class GraphicsProgram : public QObject, public graphics::StreamCanvas {
 public:
  explicit GraphicsProgram(ProgramSession& session);
  ~GraphicsProgram() override;

  bool open() const { return open_; }
  const graphics::GraphicsDefinition& definition() const { return definition_; }

  // KWK_GDIGRA: carries out the definition and sends its reply.
  void define(std::span<const std::uint8_t> payload, int type = 1);
  bool printing() const { return printing_; }
  // KWD_STREAM types 1, 3 and 4.
  int interpret(std::span<const std::uint8_t> payload, int type);

  // KWK_GGET and KWK_GGETEX: a graphics input request.
  void request_input(int type, std::span<const std::uint8_t> payload);
  // KWK_GPOS: a coordinate conversion, answered at once.
  void convert_position(std::span<const std::uint8_t> payload);
  // The user's input in the graphics window: host key codes, and clicks (device pixels).
  void key(const std::vector<std::uint16_t>& codes, int modifiers);
  // A click at `x`, `y` in the pixels of window `window` (0 the main one).
  void click(int button_code, int x, int y, int modifiers, std::int32_t window = 0);
  // The user scrolled window `id` inside the main one.
  void scroll_to(std::int32_t id, int x, int y);
  const graphics::InputRing& input_ring() const { return ring_; }
  // A page history command (kPageFirst ... kScrollTop); false for any other key.
  bool page_command(int key);
  // The user chose page `index` (0-based) from the page list.
  void page_chosen(int index);
  // The field goes without a reply (the host aborted the input, or the window ends).
  void drop_field();

  // What the stream shows: repaints go to the view, beeps to the user.
  void beep() override;
  void repaint(graphics::StreamWindow& window) override;
  // A window's drawing area grew or lost its segments: the view learns it with a picture.
  void segments_changed(graphics::StreamWindow& window) override;

 protected:
  void timerEvent(QTimerEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void fill_reply(int result);
  QString remembered_name(const graphics::WindowRecord& record) const;
  void remember_place();
  int start_print_job();
  void apply_paper(const std::vector<std::uint8_t>& options);
  bool start_page_if_pending();
  void end_page();
  void end_print_job();
  void send_reply();
  void keep_page_definition(const std::vector<std::uint8_t>& page);
  int element_operation(const graphics::GraphicsDefinition& step);
  int define_sub_window(const graphics::GraphicsDefinition& step);
  void scroll_step(const graphics::GraphicsDefinition& step);
  void move_window(const graphics::WindowRecord& record);
  int picture_element(int operation, const std::vector<std::uint8_t>& data);
  graphics::PageHistory& page_history();
  bool showing_page() const;
  // Ends the windows of a definition: their segments and sub windows, a field in them, the
  // pictures, a stored page on show.
  void close_windows();
  void page_history_step(const graphics::WindowRecord& record);
  void show_page(int index);
  void update_page_keys();
  QPoint sub_window_scroll(std::int32_t id) const;
  int start_field(const graphics::GraphicsDefinition& step);
  void show_field();
  void field_step(const dialogs::FieldStep& step);
  // The user's key or click while a field is active; false when none is.
  bool field_key(std::uint16_t code);
  bool field_click(int button_code, QPoint at, std::int32_t window);
  void input(graphics::InputEvent event);
  void answer_input(const graphics::InputEvent& event);
  void start_input_timeout(std::int64_t milliseconds);
  void post_picture(std::int32_t id);
  void schedule_pending_repaint();
  graphics::StreamContext context() const;

  ProgramSession& session_;
  graphics::GraphicsDefinition definition_;
  bool open_ = false;
  QBasicTimer pending_repaint_;
  QBasicTimer input_timeout_;
  graphics::InputRing ring_;
  // A print job (KWK_PDIGRA): its output (a job of its own, or the direct print link's), the
  // layout on paper, and the picture a poster is drawn into.
  std::unique_ptr<PrintOutput> own_job_;
  PrintOutput* job_ = nullptr;
  bool printing_ = false;
  bool page_pending_ = false;
  graphics::PrintLayout layout_;
  graphics::WorldMapping print_mapping_;
  QSize print_size_;
  QSize page_dots_;
  graphics::Argb background_ = graphics::kOpaqueWhite;
  std::unique_ptr<QPicture> poster_picture_;
  QPainter poster_painter_;
  ChannelPtr receipts_;  // the view's receipts for pictures, bound to this object
  // Per window: a picture went to the view and is not yet shown; another is due.
  struct PictureState {
    bool in_flight = false;
    bool wanted = false;
  };
  std::map<std::int32_t, PictureState> pictures_;
  // The windows inside the main one: where they are and how far they are scrolled.
  struct SubWindow {
    QRect place;
    QPoint scroll;
  };
  std::map<std::int32_t, SubWindow> sub_windows_;
  // Pages the host asked to keep, and the one shown instead of the live picture.
  std::unique_ptr<graphics::PageHistory> page_history_;
  QImage shown_page_;
  struct ActiveField;
  std::unique_ptr<ActiveField> field_;
};

// The program's graphics, made on first use.
GraphicsProgram& graphics_program(ProgramSession& session);

void register_graphics_window_commands(CommandTable& table);

}  // namespace kovw::session
