#include "session/program/graphics_windows.h"

#include <QPen>
#include <QTimerEvent>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "graphics/page_history.h"
#include "graphics/world_mapping.h"
#include "net/link_names.h"
#include "protocol/little_endian.h"
#include "protocol/payload_codec.h"
#include "protocol/program/retc.h"
#include "session/program/command_table.h"
#include "session/program/graphics_field.h"
#include "session/program/graphics_frame_items.h"
#include "session/program/graphics_record_places.h"
#include "session/program/print_output.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/screen_metrics.h"
#include "session/program/text_output.h"
#include "session/program/window_hardcopy_request.h"
#include "session/window_messages.h"
#include "shell/window_sizes.h"

namespace kovw::session {

using graphics::Argb;
using namespace graphics_places;

namespace {

constexpr int kNoDefinition = 7;
constexpr int kUnrealisticWorld = 270;
// What the window's frame takes around the drawing area when it must fit on the screen.
constexpr int kFrameAllowance = 80;
// Reply fields of frame, scroll bar and title bar until the view reports them.
constexpr int kFrameWidth = 4;
constexpr int kScrollBarWidth = 16;
constexpr int kTitleHeight = 24;
// Option 0x20 at offset 296: the window's place and size are kept under its short name; each
// remembered value is at most 3000.
constexpr int kRememberPlace = 0x20;
constexpr int kRememberedMax = 3000;

QEvent::Type picture_shown_type() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

// The view showed a picture of window `id`.
struct PictureShown : QEvent {
  explicit PictureShown(std::int32_t window) : QEvent(picture_shown_type()), id(window) {}
  std::int32_t id;
};

QColor qcolor(Argb argb) {
  return QColor::fromRgba(argb);
}

// The window title: the short name, a blank and the title text (the short name alone when the
// title starts with a character below "!").
QString window_title(const graphics::WindowRecord& r) {
  const int flags = (r.u8(248) & 0x10) ? foundation::kTextUtf8 : 0;
  std::string name = r.text(158, 10);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  std::string title = r.text(168, 70);
  std::string text = name;
  if (!title.empty() && static_cast<unsigned char>(title[0]) >= '!') {
    if (!text.empty()) text += ' ';
    text += title;
  }
  return QString::fromStdU16String(foundation::host_to_wide(text, flags));
}

}  // namespace

GraphicsProgram::GraphicsProgram(ProgramSession& session)
    : session_(session), receipts_(std::make_shared<EventChannel>()) {
  receipts_->bind(this);
  set_host_version(session.host_version);
  set_program(session.thread_id);
  if (session.host_hooks && session.host_hooks->fetch_host_file)
    set_host_file_fetch(session.host_hooks->fetch_host_file);
  graphics::FontWindowFacts& facts = font_facts();
  if (session.host_hooks) {
    facts.fixed_face = session.host_hooks->text_font_name;
    facts.fixed_tenths = session.host_hooks->text_font_tenths;
    facts.proportional_face = session.host_hooks->prop_font_name;
    facts.proportional_tenths = session.host_hooks->prop_font_tenths;
  }
}

GraphicsProgram::~GraphicsProgram() {
  receipts_->unbind();
  // The windows draw on the job's painter: they go before the job.
  release_windows();
  end_print_job();
}

GraphicsProgram& graphics_program(ProgramSession& session) {
  if (!session.graphics) session.graphics = std::make_shared<GraphicsProgram>(session);
  return *session.graphics;
}

graphics::StreamContext GraphicsProgram::context() const {
  graphics::StreamContext c;
  c.library_version = session_.host_version;
  c.suppress_repaints = (definition_.flags & 0x0008) != 0;
  c.repaint_always = (definition_.flags & 0x0004) != 0;
  c.printing = printing_;
  return c;
}

void GraphicsProgram::define(std::span<const std::uint8_t> payload, int type) {
  const graphics::DefinitionParse parsed =
      graphics::parse_graphics_definition(payload, session_.host_version);
  if (!parsed.definition) {
    if (parsed.expected_tag != 0) {
      foundation::show_message_number(nullptr, 0, 0, "KOVW", 10049, "dg_interp", parsed.found_tag,
                                      parsed.expected_tag);
    } else {
      foundation::log_printf("dg_interp: %s", parsed.error.c_str());
    }
    // The host waits for the reply: it gets its last record back with the failure noted.
    definition_.record.set16(2, -1);
    definition_.record.set32(56, -1);
    dt_send(session_, net::KWD_DIGRA, net::KWK_GDIGRA,
            graphics::build_definition_reply(definition_, {}));
    return;
  }
  const graphics::GraphicsDefinition incoming = *parsed.definition;
  int result = 0;
  switch (incoming.mode) {
    case graphics::kDefine: {
      const graphics::WindowRecord& r = incoming.record;
      if (type != net::KWK_PDIGRA)
        graphics_frame_items(session_, incoming, !(open_ && r.kind() != graphics::kRecordRelayout));
      if (open_ && r.kind() != graphics::kRecordRelayout) {
        // Another definition while one is open: the drawing area is cleared, nothing else.
        const graphics::GraphicsDefinition kept = definition_;
        definition_ = incoming;
        definition_.record = kept.record;
        clear_pictures();
        post_picture(0);
        break;
      }
      definition_ = incoming;
      pending_repaint_.stop();
      close_windows();
      end_print_job();
      if (type == net::KWK_PDIGRA) {
        result = start_print_job();
        if (result == 0) open_ = true;
        break;
      }
      session_.screen_kind = kScreenGraphics;
      text_screen_release(session_);
      keep_page_definition(incoming.page);
      const std::int32_t world_width = r.world_width();
      const std::int32_t world_height = r.world_height();
      if (world_width <= 0 || world_height <= 0) {
        foundation::show_message_number(nullptr, 0, 0, "KOVW Open", 10121,
                                        static_cast<long>(world_width),
                                        static_cast<long>(world_height));
        result = kUnrealisticWorld;
        break;
      }
      const int flags = r.window_flags();
      int width = static_cast<int>(r.u16(70));
      int height = static_cast<int>(r.u16(72));
      if (width == 0 || height == 0) {
        const graphics::DeviceSize natural = graphics::natural_size(world_width, world_height);
        if (width == 0) width = natural.width;
        if (height == 0) height = natural.height;
      }
      if (flags & graphics::kHeightFromWidth)
        height = static_cast<int>(static_cast<std::int64_t>(width) * world_height / world_width);
      // Option 0x20: the place and size the window had when its definition last ended.
      bool remembered = false;
      if (r.u8(296) & kRememberPlace) {
        shell::WindowSizes sizes;
        if (shell::dr_load_sizes(remembered_name(r), sizes, false) == 1) {
          remembered = true;
          session_.window_x = std::min(sizes.pos_x, kRememberedMax);
          session_.window_y = std::min(sizes.pos_y, kRememberedMax);
          if (sizes.geo_x > 0) width = std::min(sizes.geo_x, kRememberedMax);
          if (sizes.geo_y > 0) height = std::min(sizes.geo_y, kRememberedMax);
        }
      }
      const ScreenSize screen = screen_size();
      if (screen.width > kFrameAllowance) width = std::min(width, screen.width - kFrameAllowance);
      if (screen.height > kFrameAllowance)
        height = std::min(height, screen.height - kFrameAllowance);
      width = std::clamp(width, 1, kDeviceSizeMax);
      height = std::clamp(height, 1, kDeviceSizeMax);
      const bool keep_aspect = (flags & graphics::kKeepAspect) != 0;
      const graphics::WorldMapping mapping =
          graphics::fit_world(world_width, world_height, width, height, keep_aspect);
      if (keep_aspect) {
        const graphics::DeviceSize fitted =
            graphics::fitted_extent(world_width, world_height, width, height);
        width = std::max(1, fitted.width);
        height = std::max(1, fitted.height);
      }
      // The record's background colour when the host asks for it, else white.
      const int background_flags = static_cast<int>(r.u16(96 + 10));
      const bool own_background = session_.host_version < 0x040505 || (background_flags & 0x0002) ||
                                  (background_flags & 0x0001);
      const Argb background =
          own_background ? graphics::colour_record_at(r, 96) : graphics::kOpaqueWhite;
      font_facts().device_dpi = screen_dpi();
      font_facts().scale_percent = session_.font_scale_percent;
      if (!create_window(0, mapping, width, height, background)) {
        foundation::show_message_number(nullptr, 0, 0, "KOVW Open", 10075, 12, width, height);
        result = kNoPictureMemory;
        break;
      }
      session_.content_width = width;
      session_.content_height = height;
      const QString title = window_title(r);
      session_.caption = title.toStdString();
      post_to_view(*session_.to_view, to_view::Title{title});
      to_view::GraphicsWindow define;
      define.operation = to_view::GraphicsWindow::Operation::Define;
      define.size = QSize(width, height);
      define.background = qcolor(background);
      post_to_view(*session_.to_view, std::move(define));
      open_ = true;
      if (remembered) {
        to_view::ShowWindows place{session_.window_x, session_.window_y, width, height, title};
        post_to_view(*session_.to_view, std::move(place));
      }
      post_picture(0);
      update_page_keys();  // enabled while pages are stored
      break;
    }
    case graphics::kEndDefinition:
      definition_.mode = incoming.mode;
      definition_.flags = incoming.flags;
      if (open_ && printing_) {
        // Flag 0x0010 with a value at offset 64 ends the page first.
        if ((incoming.flags & 0x0010) && incoming.record.i16(64) > 0) end_page();
        close_windows();
        end_print_job();
        open_ = false;
      } else if (open_) {
        if (definition_.record.u8(296) & kRememberPlace) remember_place();
        pending_repaint_.stop();
        close_windows();
        open_ = false;
        to_view::GraphicsWindow end;
        end.operation = to_view::GraphicsWindow::Operation::End;
        post_to_view(*session_.to_view, std::move(end));
      }
      break;
    case graphics::kElementOperation:
      definition_.mode = incoming.mode;
      definition_.record = incoming.record;
      definition_.flags = incoming.flags;
      if (open_ && printing_ && incoming.record.i16(64) != 6) start_page_if_pending();
      result = open_ ? element_operation(incoming) : kNoDefinition;
      break;
    default:
      foundation::log_printf("dg_interp: Modus %d unbekannt", incoming.mode);
      definition_.mode = incoming.mode;
      break;
  }
  fill_reply(result);
  // An element input, a page end on the screen and an input field answer when the user acts.
  if (session_.graphics_pending_answer == 1 || session_.graphics_pending_answer == 2) return;
  send_reply();
}

void GraphicsProgram::close_windows() {
  release_windows();
  drop_field();
  sub_windows_.clear();
  pictures_.clear();
  // The next window starts with its live picture, not a stored page of this one.
  if (page_history_) page_history_->show(-1);
  shown_page_ = QImage();
}

void GraphicsProgram::keep_page_definition(const std::vector<std::uint8_t>& page) {
  // The first page definition of a screen window in this run becomes the process's, kept in
  // the local table file; later ones are not written again.
  if (page.empty() || !session_.host_hooks || !session_.host_hooks->store_page_definition ||
      !session_.host_hooks->page_definition_stored)
    return;
  if (session_.host_hooks->page_definition_stored->exchange(true)) return;
  if (const int error = session_.host_hooks->store_page_definition(page); error != 0)
    foundation::log_printf("dg_interp: Seitendefinition nicht gespeichert (%d)", error);
}

void GraphicsProgram::send_reply() {
  if (session_.suppress_digra_reply) {
    session_.suppress_digra_reply = false;
    return;
  }
  std::array<std::uint8_t, graphics::kGeometryRecordSize> geometry{};
  if (const graphics::StreamWindow* w = stream().current()) {
    graphics::WindowGeometry g;
    g.device_width = w->extent_width;
    g.device_height = w->extent_height;
    g.visible_width = w->visible_width;
    g.visible_height = w->visible_height;
    g.x_numerator = static_cast<std::int32_t>(w->mapping.x_numerator);
    g.x_denominator = static_cast<std::int32_t>(w->mapping.x_denominator);
    g.x_offset = w->mapping.x_offset;
    g.y_numerator = static_cast<std::int32_t>(w->mapping.y_numerator);
    g.y_denominator = static_cast<std::int32_t>(w->mapping.y_denominator);
    g.y_offset = w->mapping.y_offset;
    geometry = graphics::geometry_record(g);
  }
  dt_send(session_, net::KWD_DIGRA, net::KWK_GDIGRA,
          graphics::build_definition_reply(definition_, geometry));
}

QString GraphicsProgram::remembered_name(const graphics::WindowRecord& r) const {
  std::string name = r.text(158, 10);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return QString::fromStdU16String(foundation::host_to_wide(name));
}

void GraphicsProgram::remember_place() {
  const graphics::StreamWindow* main = stream().window(0);
  if (!main) return;
  shell::WindowSizes sizes;
  sizes.pos_x = session_.window_x;
  sizes.pos_y = session_.window_y;
  sizes.geo_x = main->visible_width;
  sizes.geo_y = main->visible_height;
  sizes.anz_x = session_.main_width;
  sizes.anz_y = session_.main_height;
  if (shell::dr_save_sizes(remembered_name(definition_.record), sizes) != 0)
    foundation::log_printf("dg_interp: Fenstergröße nicht gespeichert");
}

void GraphicsProgram::fill_reply(int result) {
  graphics::WindowRecord& r = definition_.record;
  r.set32(56, result);
  if (r.i16(2) == 0) r.set16(2, result);
  r.set16(44, 0);
  r.set16(46, 0);
  r.set32(48, 0);
  r.set32(52, 0);
  r.set32(60, stream().current_id());
  int options = static_cast<int>(r.u16(38)) &
                ~(graphics::kReplyWindowRect | graphics::kReplyGeometry | graphics::kReplyBrowser);
  const graphics::StreamWindow* w = stream().current();
  if (definition_.mode == graphics::kDefine && w) {
    const ScreenSize screen = screen_size();
    r.set16(66, session_.window_x);
    r.set16(68, session_.window_y);
    r.set16(70, w->visible_width);
    r.set16(72, w->visible_height);
    r.set16(288, screen.width);
    r.set16(290, screen.height);
    r.set16(292, screen.width);
    r.set16(294, screen.height);
    // As the view reported them once shown; before that what a usual desktop shows.
    r.set8(297, session_.main_width > 0 ? session_.frame_width : kFrameWidth);
    r.set8(298, session_.scroll_bar_width > 0 ? session_.scroll_bar_width : kScrollBarWidth);
    r.set8(299, session_.main_width > 0 ? session_.title_height : kTitleHeight);
    r.set32(300, r.world_width());
    r.set32(304, r.world_height());
    const std::int64_t per_x =
        static_cast<std::int64_t>(r.world_width()) * 1000 / std::max(1, w->visible_width);
    const std::int64_t per_y =
        static_cast<std::int64_t>(r.world_height()) * 1000 / std::max(1, w->visible_height);
    r.set32(312, static_cast<std::int32_t>(per_x));
    r.set32(316, static_cast<std::int32_t>(per_y));
    r.set32(320, static_cast<std::int32_t>(
                     std::llround(std::sqrt(static_cast<double>(per_x * per_x + per_y * per_y)))));
    r.set16(360, w->visible_width);
    r.set16(362, w->visible_height);
    r.set8(365, session_.font_scale_percent);
    r.set16(366, screen_dpi());
  }
  if (r.i16(2) == 0) {
    options |= graphics::kReplyWindowRect | graphics::kReplyGeometry;
    r.set_window_rect(session_.window_x, session_.window_y,
                      session_.main_width > 0 ? session_.main_width : session_.content_width,
                      session_.main_height > 0 ? session_.main_height : session_.content_height);
  }
  r.set16(38, options);
}

int GraphicsProgram::interpret(std::span<const std::uint8_t> payload, int type) {
  // A print job starts its next page with the first message after a page end.
  if (printing_ && !start_page_if_pending()) return 0;
  if (!stream().current()) {
    foundation::log_printf("dg_stream: kein Grafikfenster, %zu Bytes übergangen", payload.size());
    return 0;
  }
  const int result = stream().interpret(payload, type, context());
  schedule_pending_repaint();
  return result;
}

void GraphicsProgram::schedule_pending_repaint() {
  if (context().suppress_repaints || stream().recording()) return;
  std::int64_t due = -1;
  for (const auto& window : stream().windows())
    if (window->changed) due = due < 0 ? window->repaint_due : std::min(due, window->repaint_due);
  if (due < 0) return;
  const std::int64_t wait = std::max<std::int64_t>(0, due - now_ms());
  if (!pending_repaint_.isActive()) pending_repaint_.start(static_cast<int>(wait), this);
}

void GraphicsProgram::timerEvent(QTimerEvent* event) {
  if (event->timerId() == input_timeout_.timerId()) {
    input_timeout_.stop();
    graphics::InputEvent timed_out;
    timed_out.kind = graphics::kInputTimeOut;
    timed_out.window = stream().current_id();
    if (session_.graphics_pending_answer == 3) {
      answer_input(timed_out);
    } else if (session_.graphics_pending_answer == 1) {
      session_.graphics_pending_answer = 0;
      definition_.record.set16(kInputKindAt, timed_out.kind);
      send_reply();
    }
    return;
  }
  if (event->timerId() != pending_repaint_.timerId()) {
    QObject::timerEvent(event);
    return;
  }
  pending_repaint_.stop();
  for (const auto& window : stream().windows()) {
    if (!window->changed) continue;
    repaint(*window);
    window->changed = false;
    window->repaint_due = now_ms() + graphics::kRepaintIntervalMs;
  }
}

void GraphicsProgram::post_picture(std::int32_t id) {
  const QImage* image = picture(id);
  const graphics::StreamWindow* window = stream().window(id);
  if (!image || !window) return;
  PictureState& state = pictures_[id];
  if (state.in_flight) {
    state.wanted = true;
    return;
  }
  state.in_flight = true;
  to_view::GraphicsWindow message;
  message.operation = to_view::GraphicsWindow::Operation::Picture;
  message.window = id;
  message.size = image->size();
  if (const auto sub = sub_windows_.find(id); sub != sub_windows_.end()) {
    message.place = sub->second.place;
    message.scroll = sub->second.scroll;
    message.extent = QSize(std::max(window->extent_width, window->visible_width),
                           std::max(window->extent_height, window->visible_height));
  }
  if (id == 0 && showing_page()) {
    // A stored page is shown instead of the live picture, which goes on being drawn.
    message.picture = shown_page_;
  } else if (window->segmented()) {
    // The view of a segmented window is made from its segments for the scroll position.
    graphics::SegmentedView view;
    view.view = QRect(message.scroll, image->size());
    message.picture = segmented_picture(id, view);
  } else {
    message.picture = image->copy();  // the painter goes on drawing into the original
  }
  for (const graphics::TooltipArea& tip : *tooltips(id))
    message.tips.push_back({tip.rect, tip.text});
  message.tips_active = tooltips_active();
  // The receipt runs on the GUI thread; the program thread learns of it by an event.
  message.done = Receipt([channel = receipts_, id] { channel->post(new PictureShown(id)); });
  post_to_view(*session_.to_view, std::move(message));
}

bool GraphicsProgram::event(QEvent* event) {
  if (event->type() != picture_shown_type()) return QObject::event(event);
  const std::int32_t id = static_cast<PictureShown*>(event)->id;
  PictureState& state = pictures_[id];
  state.in_flight = false;
  if (state.wanted) {
    state.wanted = false;
    post_picture(id);
  }
  return true;
}

// ---- drawing operations ------------------------------------------------------------------

void GraphicsProgram::beep() {
  if (!session_.host_hooks || session_.host_hooks->beeps_on)
    post_to_view(*session_.to_view, to_view::Beep{});
}
void GraphicsProgram::segments_changed(graphics::StreamWindow& w) {
  graphics::StreamCanvas::segments_changed(w);
  post_picture(w.id);
}

void GraphicsProgram::repaint(graphics::StreamWindow& w) {
  // A window inside the main one learns its grown drawing area with its picture.
  post_picture(w.id);
}
// ---- print jobs ----------------------------------------------------------------------------

namespace {

constexpr int kNoPrinterDevice = 217;
constexpr int kPrinterAccess = 212;
constexpr int kPageStart = 214;
constexpr std::size_t kOptionsPrinterAt = 52;
constexpr std::size_t kOptionsPrinterSize = 40;

}  // namespace

int GraphicsProgram::start_print_job() {
  graphics::WindowRecord& r = definition_.record;
  const auto& options = definition_.options;
  std::string printer(reinterpret_cast<const char*>(options.data()) + kOptionsPrinterAt,
                      kOptionsPrinterSize);
  printer = printer.substr(0, printer.find('\0'));
  while (!printer.empty() && printer.back() == ' ') printer.pop_back();
  if (printer.empty()) printer = "standard";
  const std::string document = session_.caption.empty() ? "KOVW Grafik" : session_.caption;
  if (session_.print_output) {
    job_ = session_.print_output;  // a direct print link draws on its job's printer
  } else if (session_.host_hooks && session_.host_hooks->open_print_job) {
    own_job_ = session_.host_hooks->open_print_job(printer, document, true);
    job_ = own_job_.get();
  }
  if (!job_) {
    foundation::show_message_number(nullptr, 0, 0, "KOVW Grafik Print", 40436);
    return kNoPrinterDevice;
  }
  if (!job_->open()) {
    end_print_job();
    return kPrinterAccess;
  }
  // The paper and its source the window options ask for; the printable page in portrait.
  job_->set_orientation(graphics::kPortrait);
  apply_paper(options);
  QSizeF page_mm = job_->printable_mm();
  if (page_mm.width() > page_mm.height()) page_mm.transpose();
  graphics::PrintRequest request;
  request.world_width = r.world_width();
  request.world_height = r.world_height();
  request.options = r.u8(296);
  request.window_flags = r.window_flags();
  request.orientation_byte = options.size() > 127 ? options[127] : 0;
  request.poster_across = options.size() > 220 ? options[220] : 0;
  request.poster_down = options.size() > 221 ? options[221] : 0;
  request.poster_enabled = session_.host_hooks && session_.host_hooks->poster_print;
  request.page_width_mm = page_mm.width();
  request.page_height_mm = page_mm.height();
  layout_ = graphics::print_layout(request);
  if (layout_.poster_refused) foundation::show_message_number(nullptr, 0, 0, "KOVW Print", 10080);
  job_->set_orientation(layout_.orientation);
  const QSize dots = job_->printable_dots();
  const QSizeF mm = job_->printable_mm();
  const int overlap = layout_.poster ? graphics::kPosterOverlapDots : 0;
  page_dots_ = dots;
  const int width = (dots.width() - overlap) * layout_.across + overlap;
  const int height = (dots.height() - overlap) * layout_.down + overlap;
  std::int32_t world_width = layout_.world_width;
  std::int32_t world_height = layout_.world_height;
  const auto page_world_x = static_cast<std::int32_t>(layout_.across * mm.width() * 100);
  const auto page_world_y = static_cast<std::int32_t>(layout_.down * mm.height() * 100);
  if (world_width <= 0) world_width = page_world_x;
  if (world_height <= 0) world_height = page_world_y;
  r.set32(76, world_width);
  r.set32(80, world_height);
  r.set32(300, page_world_x);
  r.set32(304, page_world_y);
  if (layout_.poster) r.set8(296, r.u8(296) | 0x08);
  const bool metric = (r.u8(296) & 0x80) && !layout_.poster;
  print_mapping_ = metric
                       ? graphics::metric_page_mapping(world_width, world_height,
                                                       job_->resolution(), job_->resolution(), 0, 0)
                       : graphics::fit_world(world_width, world_height, width, height,
                                             (r.window_flags() & graphics::kKeepAspect) != 0);
  print_size_ = QSize(width, height);
  font_facts().print_definition = true;
  font_facts().device_dpi = job_->resolution();
  font_facts().scale_percent = 100;
  background_ = graphics::colour_record_at(r, 96);
  printing_ = true;
  page_pending_ = true;
  if (layout_.poster) {
    // A poster is drawn into a picture that every page replays.
    poster_picture_ = std::make_unique<QPicture>();
    poster_painter_.begin(poster_picture_.get());
    attach_window(0, print_mapping_, poster_painter_, width, height, background_);
    page_pending_ = false;
  }
  return 0;
}

void GraphicsProgram::apply_paper(const std::vector<std::uint8_t>& options) {
  auto byte = [&](std::size_t at) -> int { return at < options.size() ? options[at] : 0; };
  auto int32 = [&](std::size_t at) -> std::int32_t {
    return at + 4 <= options.size() ? static_cast<std::int32_t>(protocol::le32(&options[at])) : 0;
  };
  const graphics::PaperSize paper = graphics::paper_from_options(byte(108), int32(208), int32(216));
  if (!job_->set_paper(paper.width_mm, paper.height_mm))
    foundation::log_printf("dg_print: Papier %.1f x %.1f mm nicht gesetzt", paper.width_mm,
                           paper.height_mm);
  const int source = byte(109);
  if (source == 0) return;
  if (byte(207) & 0x01) {
    // Sources by name are not offered by the printing system: the printer's own source stays.
    foundation::log_printf("dg_print: Papierquelle nach Namen %d nicht verfügbar", source);
    return;
  }
  if (!job_->set_source(source)) {
    foundation::log_printf("dg_print: Papierquelle %d nicht gesetzt", source);
    foundation::show_message_number(nullptr, 0, 0, "KOVW Print", 40326, source);
  }
}

bool GraphicsProgram::start_page_if_pending() {
  if (!page_pending_ || !job_) return job_ != nullptr;
  if (job_->cancelled()) return false;  // the user cancelled the job: nothing more is drawn
  QPainter* page = job_->page();
  if (!page) {
    foundation::show_message_number(nullptr, 0, 0, "KOVW Print", 40316, 0);
    definition_.record.set32(56, kPageStart);
    return false;
  }
  page_pending_ = false;
  page->fillRect(QRect(QPoint(0, 0), page_dots_), QColor::fromRgba(background_));
  if (!stream().current())
    attach_window(0, print_mapping_, *page, print_size_.width(), print_size_.height(), background_);
  return true;
}

void GraphicsProgram::end_page() {
  if (!job_) return;
  if (!layout_.poster) {
    if (!page_pending_) job_->end_page();
    page_pending_ = true;
    return;
  }
  // Every page of the poster replays the picture shifted by the pages before it, less the
  // overlap, with cut marks at its inner edges.
  poster_painter_.end();
  const int step_x = page_dots_.width() - graphics::kPosterOverlapDots;
  const int step_y = page_dots_.height() - graphics::kPosterOverlapDots;
  for (int row = 0; row < layout_.down; ++row) {
    for (int column = 0; column < layout_.across; ++column) {
      QPainter* page = job_->page();
      if (!page) return;
      page->save();
      page->translate(-column * step_x, -row * step_y);
      page->drawPicture(0, 0, *poster_picture_);
      page->restore();
      page->setPen(QPen(Qt::black, 1));
      const int w = page_dots_.width(), h = page_dots_.height(), mark = 40;
      if (column > 0) page->drawLine(2, 0, 2, mark), page->drawLine(2, h - mark, 2, h);
      if (column + 1 < layout_.across)
        page->drawLine(w - 3, 0, w - 3, mark), page->drawLine(w - 3, h - mark, w - 3, h);
      if (row > 0) page->drawLine(0, 2, mark, 2), page->drawLine(w - mark, 2, w, 2);
      if (row + 1 < layout_.down)
        page->drawLine(0, h - 3, mark, h - 3), page->drawLine(w - mark, h - 3, w, h - 3);
      job_->end_page();
    }
  }
  poster_picture_ = std::make_unique<QPicture>();
  poster_painter_.begin(poster_picture_.get());
}

void GraphicsProgram::end_print_job() {
  if (!printing_) return;
  printing_ = false;
  page_pending_ = false;
  // A poster picture still open is thrown away; the document ends with the output.
  if (poster_painter_.isActive()) poster_painter_.end();
  poster_picture_.reset();
  job_ = nullptr;
  own_job_.reset();
  font_facts().print_definition = false;
}

// ---- graphics input ------------------------------------------------------------------------

void GraphicsProgram::start_input_timeout(std::int64_t milliseconds) {
  input_timeout_.start(static_cast<int>(std::min<std::int64_t>(milliseconds, 1 << 30)), this);
}

void GraphicsProgram::request_input(int type, std::span<const std::uint8_t> payload) {
  protocol::PayloadReader in(payload, "KWK_GGET");
  const std::int32_t flags = in.int_field("flags");
  std::int32_t timeout = 0;
  if (!(flags & graphics::kGetCancel) && in.more()) {
    timeout = in.int_field("time-out");
    // KWK_GGETEX: the mark kind, the area and the mark rectangle follow; the mark is not drawn.
    if (type == net::KWK_GGETEX && session_.host_hooks)
      foundation::log_printf("dg_get: Markierung %d", in.more() ? in.int_field("mark") : 0);
  }
  if (flags & graphics::kGetCancel) {
    if (session_.graphics_pending_answer == 3) session_.graphics_pending_answer = 0;
    input_timeout_.stop();
    return;
  }
  if (!(flags & graphics::kGetNoRepaint)) post_picture(0);
  session_.graphics_pending_answer = 3;
  if (!ring_.empty()) {
    answer_input(*ring_.take());
    return;
  }
  if (flags & graphics::kGetAnswerAtOnce) {
    graphics::InputEvent none;
    none.kind = graphics::kInputNone;
    answer_input(none);
    return;
  }
  if (const std::int64_t ms = graphics::input_timeout_ms(timeout)) start_input_timeout(ms);
}

void GraphicsProgram::key(const std::vector<std::uint16_t>& codes, int modifiers) {
  for (const std::uint16_t code : codes) {
    if (field_key(code)) continue;
    graphics::InputEvent event;
    event.kind = graphics::kInputKey;
    event.key = code;
    event.modifiers = modifiers;
    input(event);
  }
}

void GraphicsProgram::click(int button_code, int x, int y, int modifiers, std::int32_t window) {
  if (field_click(button_code, QPoint(x, y), window)) return;
  graphics::InputEvent event;
  event.kind = graphics::kInputClick;
  event.key = button_code;
  event.modifiers = modifiers;
  const graphics::StreamWindow* w = stream().window(window);
  if (!w) w = stream().window(0);
  if (w) {
    // A window inside the main one reports in its drawing area, scrolled as it is shown.
    if (const auto sub = sub_windows_.find(w->id); sub != sub_windows_.end()) {
      x += sub->second.scroll.x();
      y += sub->second.scroll.y();
    }
    // World = (device - offset) x denominator / numerator.
    const auto& m = w->mapping;
    event.world_x =
        static_cast<std::int32_t>((std::int64_t{x} - m.x_offset) * m.x_denominator / m.x_numerator);
    event.world_y =
        static_cast<std::int32_t>((std::int64_t{y} - m.y_offset) * m.y_denominator / m.y_numerator);
    event.window = w->id;
  }
  event.device_x = x;
  event.device_y = y;
  input(event);
}

void GraphicsProgram::input(graphics::InputEvent event) {
  if (event.kind != graphics::kInputClick) event.window = stream().current_id();
  switch (session_.graphics_pending_answer) {
    case 3:
      answer_input(event);
      return;
    case 1:
      input_timeout_.stop();
      session_.graphics_pending_answer = 0;
      put_input_event(definition_.record, event);
      send_reply();
      return;
    default:
      ring_.push(event);
      return;
  }
}

void GraphicsProgram::answer_input(const graphics::InputEvent& event) {
  input_timeout_.stop();
  session_.graphics_pending_answer = 0;
  foundation::log_printf("Send Data WM_GET %d %d", event.kind, event.key);
  dt_send(session_, net::KWD_DIGRA, net::KWK_GGET,
          graphics::build_input_answer(event, graphics::InputScroll{}));
}

void GraphicsProgram::convert_position(std::span<const std::uint8_t> payload) {
  protocol::PayloadReader in(payload, "KWK_GPOS");
  const std::int32_t value = in.int_field("value");
  const std::int32_t mode = in.int_field("mode");
  const std::int32_t second = in.more() ? in.int_field("second value") : 0;
  const std::int32_t window_id = in.more() ? in.int_field("window") : 0;
  if (!in.ok()) foundation::log_printf("%s", in.failure().message.c_str());
  const graphics::StreamWindow* w = stream().window(window_id);
  if (!w) w = stream().current();
  auto world_x = [&](std::int64_t x) {
    return w ? static_cast<std::int32_t>((x - w->mapping.x_offset) * w->mapping.x_denominator /
                                         w->mapping.x_numerator)
             : static_cast<std::int32_t>(x);
  };
  auto world_y = [&](std::int64_t y) {
    return w ? static_cast<std::int32_t>((y - w->mapping.y_offset) * w->mapping.y_denominator /
                                         w->mapping.y_numerator)
             : static_cast<std::int32_t>(y);
  };
  switch (mode) {
    case 1:
    case 11:
      dt_send_retc(1, session_, net::KWD_DIGRA, net::KWK_GPOS, world_x(value));
      return;
    case 2:
    case 12:
      dt_send_retc(1, session_, net::KWD_DIGRA, net::KWK_GPOS, world_y(value));
      return;
    case 3:
    case 13:
      dt_send_retc(2, session_, net::KWD_DIGRA, net::KWK_GPOS, world_x(value), world_y(second));
      return;
    default:
      dt_send_retc(2, session_, net::KWD_DIGRA, net::KWK_GPOS, value, mode >= 3 ? second : value);
      return;
  }
}

// ---- requests ------------------------------------------------------------------------------

void register_graphics_window_commands(CommandTable& table) {
  for (const int type : {net::KWK_GDIGRA, net::KWK_PDIGRA}) {
    table.add(net::KWD_DIGRA, type, [](ProgramSession& session, const Command& command) {
      graphics_program(session).define(command.payload, command.type);
    });
  }
  for (const int type : {net::KWK_SDATA, net::KWK_SDREP, net::KWK_SDLEN}) {
    table.add(net::KWD_STREAM, type, [](ProgramSession& session, const Command& command) {
      const int result = graphics_program(session).interpret(command.payload, command.type);
      if (result != 0) foundation::log_printf("dg_stream: Fehler %d", result);
      if (protocol::stream_wants_retc(command.type, session.host_version))
        dt_send(session, net::KWD_STREAM, net::KWK_SRETC, nullptr, 0);
    });
  }
  for (const int type : {net::KWK_GGET, net::KWK_GGETEX}) {
    table.add(net::KWD_DIGRA, type, [](ProgramSession& session, const Command& command) {
      graphics_program(session).request_input(command.type, command.payload);
    });
  }
  table.add(net::KWD_DIGRA, net::KWK_GPOS, [](ProgramSession& session, const Command& command) {
    graphics_program(session).convert_position(command.payload);
  });
  // Capture files are opened by the program window's capture start, which this workstation
  // does not offer: data without an open capture file is left aside, as is its end.
  for (const int type : {net::KWK_GDATA, net::KWK_GEND}) {
    table.add(net::KWD_DIGRA, type, [](ProgramSession&, const Command& command) {
      foundation::log_printf("dg_data: keine Aufzeichnungsdatei offen, %zu Bytes",
                             command.payload.size());
    });
  }
  // The mark of a graphics input is not drawn; its operations change nothing.
  table.add(net::KWD_DIGRA, net::KWK_GMARK, [](ProgramSession&, const Command&) {});
  table.add(net::KWD_DIGRA, net::KWK_GTLEN, [](ProgramSession& session, const Command&) {
    GraphicsProgram& graphics = graphics_program(session);
    const graphics::LastText text = graphics.last_text(graphics.stream().current_id());
    dt_send_retc(4, session, net::KWD_DIGRA, net::KWK_GTLEN, text.width, text.measured_width,
                 text.characters, text.offset);
  });
  table.add(net::KWD_DIGRA, net::KWK_GRES, [](ProgramSession& session, const Command&) {
    const graphics::StreamWindow* w = graphics_program(session).stream().current();
    dt_send_retc(2, session, net::KWD_DIGRA, net::KWK_GRES, w ? w->extent_width : 0,
                 w ? w->extent_height : 0);
  });
}

}  // namespace kovw::session
