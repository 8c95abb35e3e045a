// The element operations of a graphics window (a definition step of mode 5), the windows
// inside the main one, and the window's page history.

#include <unistd.h>
#include <QColor>
#include <algorithm>
#include <cmath>
#include <ctime>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "graphics/page_history.h"
#include "graphics/stream_opcodes.h"
#include "graphics/world_mapping.h"
#include "net/link_names.h"
#include "session/program/frame.h"
#include "session/program/graphics_record_places.h"
#include "session/program/graphics_windows.h"
#include "session/program/key_translation.h"
#include "session/program/program_session.h"
#include "session/program/window_hardcopy_request.h"
#include "session/window_messages.h"
#include "shell/directories.h"

namespace kovw::session {

using namespace graphics_places;

namespace {

constexpr int kNoDefinition = 7;
// Operation 17 works on the page history when bit 0x8000 of offset 78 is set, by the bits of
// offset 67; the title of a stored page is at 132.
constexpr int kPageHistoryFlag = 0x8000;
constexpr int kPagesDiscard = 0x02;
constexpr int kPageStore = 0x01;
constexpr int kPageTitled = 0x04;
constexpr int kAnswerAtOnce = 0x80;
constexpr std::size_t kPageTitleAt = 132;
constexpr std::size_t kPageTitleSize = 128;
// Operations 35 and 36: the flags at 66 (0x0001 a rectangle, or a place to copy to), the
// region's identifier at 68 and the world corners or place from 72.
constexpr int kRegionPlace = 0x0001;
// Operation 43: flags at 66 (0x0001 move, 0x0002 size; none of them both), the window's place
// on the desktop at 68 and 72 and its drawing area's size at 76 and 80, in pixels.
constexpr int kMoveWindow = 0x0001;
constexpr int kSizeWindow = 0x0002;

}  // namespace

// ---- element operations --------------------------------------------------------------------

int GraphicsProgram::element_operation(const graphics::GraphicsDefinition& step) {
  const graphics::WindowRecord& r = step.record;
  const int operation = r.i16(64);
  graphics::StreamWindow* window = stream().current();
  const std::int32_t id = window ? window->id : 0;
  switch (operation) {
    case 0:
    case 4:
    case 6:
    case 22:
    case 27:
    case 38:
    case 39:
    case 40:
      return 0;
    case 5:
      if (printing_) {
        end_page();
        return 0;
      }
      [[fallthrough]];
    case 17: {
      // Wait for the user: a click or a key answers with this step's reply; operation 17 also
      // ends waiting after its time.
      if (operation == 17 && (r.u16(78) & kPageHistoryFlag)) page_history_step(r);
      post_picture(0);
      session_.graphics_pending_answer = 1;
      std::int64_t timeout = 0;
      if (operation == 17) {
        if ((r.u16(78) & kPageHistoryFlag) && (r.u8(67) & kAnswerAtOnce)) {
          session_.graphics_pending_answer = 0;
          graphics::InputEvent none;
          none.kind = graphics::kInputNone;
          definition_.record.set16(kInputKindAt, none.kind);
          return 0;
        }
        timeout = (definition_.flags & 0x0040) ? r.i32(96) : r.u8(76);
        if (!(r.u8(110) & 0x80)) timeout *= 1000;
      }
      if (!ring_.empty()) {
        // An event that came before the request answers it at once.
        const graphics::InputEvent event = *ring_.take();
        session_.graphics_pending_answer = 0;
        put_input_event(definition_.record, event);
        return 0;
      }
      if (timeout > 0) start_input_timeout(timeout);
      return 0;
    }
    case 24:
      clear_pictures();
      return 0;
    case 44:
      return define_sub_window(definition_);
    case 23:
      // As the window's hardcopy command, with bit 0x0010 of offset 86 passed on.
      request_window_hardcopy(session_, r.i16(86) & 0x0010);
      return 0;
    case 26:
      beep();
      return 0;
    case 28:
      scroll_step(definition_);
      return 0;
    case 30:
    case 31:
      if (window) window->changed = true;
      post_picture(0);
      return 0;
    case 33:
      return open_level(id);
    case 34:
      close_level(id);
      return 0;
    case 35:
      return store_region(id, r.i32(68), !(r.i16(66) & kRegionPlace), r.i32(72), r.i32(76),
                          r.i32(80), r.i32(84));
    case 36:
      if (restore_region(id, r.i32(68), r.i16(66) & kRegionPlace, r.i32(72), r.i32(76)))
        post_picture(id);
      else
        foundation::log_printf("dg_elem: kein gespeicherter Bereich %d", r.i32(68));
      return 0;
    case 37:
      clear_rectangle(id, r.i32(68), r.i32(72), r.i32(76), r.i32(80));
      return 0;
    case 43:
      move_window(r);
      return 0;
    case 25:
      return start_field(step);
    case 21:
    case 41:
      return picture_element(operation, step.element_data);
    case 1:
    case 2:
    case 9:
    case 18:
    case 29:
    case 32:
      foundation::log_printf("dg_interp: Elementoperation %d hier nicht verfügbar", operation);
      return 0;
    default:
      return kUnknownOperation;
  }
}

// ---- windows inside the main one ----------------------------------------------------------

namespace {

constexpr std::int32_t kVersionWorldPlaces = 0x041310;
constexpr int kSubWorldPosition = 0x0001;
constexpr int kSubWorldSize = 0x0002;
constexpr int kSubVirtualHeight = 0x0020;
constexpr int kSubVirtualWidth = 0x0040;

}  // namespace

int GraphicsProgram::define_sub_window(const graphics::GraphicsDefinition& step) {
  graphics::WindowRecord& r = definition_.record;
  const graphics::StreamWindow* main = stream().window(0);
  if (!main) return 0;
  const int flags = step.record.i16(66);
  std::int32_t id = step.record.i32(68);
  if (id == -1) {
    // A new identifier: the processor time in clock ticks times 100, the next free one.
    id = static_cast<std::int32_t>((std::clock() * 100) & 0x7FFFFFFF);
    while (id == 0 || stream().window(id)) ++id;
    r.set32(68, id);
  }
  const bool world = session_.host_version >= kVersionWorldPlaces;
  const graphics::WorldMapping& m = main->mapping;
  QPoint at(step.record.i32(72), step.record.i32(76));
  QSize size(step.record.i32(80), step.record.i32(84));
  if (world && (flags & kSubWorldPosition)) {
    const graphics::DevicePoint p = m.map(at.x(), at.y());
    at = QPoint(p.x, p.y);
  }
  if (world && (flags & kSubWorldSize))
    size = QSize(std::abs(m.map_length_x(size.width())),
                 static_cast<int>(m.map_length_y_f(size.height())));
  size = size.boundedTo(QSize(kDeviceSizeMax, kDeviceSizeMax)).expandedTo(QSize(1, 1));
  // The window draws in the main window's world: its own pixels start at its place.
  graphics::WorldMapping mapping = m;
  mapping.x_offset -= at.x();
  mapping.y_offset -= at.y();
  const graphics::Argb background = graphics::colour_record_at(step.record, 112);
  if (!create_window(id, mapping, size.width(), size.height(), background)) return kNoPictureMemory;
  graphics::StreamWindow& window = *stream().window(id);
  window.virtual_x = (flags & kSubVirtualWidth) != 0;
  window.virtual_y = (flags & kSubVirtualHeight) != 0;
  window.attributes.colours.set(graphics::kSlotLine, graphics::colour_record_at(step.record, 100));
  sub_windows_[id] = SubWindow{QRect(at, size), QPoint(0, 0)};
  pictures_.erase(id);
  to_view::GraphicsWindow define;
  define.operation = to_view::GraphicsWindow::Operation::Define;
  define.window = id;
  define.place = QRect(at, size);
  define.extent = size;
  define.size = size;
  define.background = QColor::fromRgba(background);
  post_to_view(*session_.to_view, std::move(define));
  post_picture(id);
  return 0;
}

void GraphicsProgram::scroll_to(std::int32_t id, int x, int y) {
  const auto sub = sub_windows_.find(id);
  graphics::StreamWindow* window = stream().window(id);
  if (sub == sub_windows_.end() || !window) return;
  const int most_x = std::max(0, window->extent_width - window->visible_width);
  const int most_y = std::max(0, window->extent_height - window->visible_height);
  const QPoint to(std::clamp(x, 0, most_x), std::clamp(y, 0, most_y));
  if (to == sub->second.scroll) return;
  sub->second.scroll = to;
  post_picture(id);
}

void GraphicsProgram::scroll_step(const graphics::GraphicsDefinition& step) {
  const graphics::WindowRecord& r = step.record;
  int operation = r.i16(66);
  std::int32_t id = 0;
  if (operation & 0x8000) {
    id = r.i32(96);
    operation &= 0x7FFF;
  } else if (const graphics::StreamWindow* current = stream().current()) {
    id = current->id;
  }
  const int divisor = r.i16(68);
  const auto sub = sub_windows_.find(id);
  graphics::StreamWindow* window = stream().window(id);
  if (sub == sub_windows_.end() || !window || operation > 3 || showing_page()) {
    // The main window shows its whole drawing area: it never moves; nor does a window while a
    // stored page is shown.
    definition_.record.set16(kScrollShortAt, 1);
    return;
  }
  const bool across = operation <= 1;
  const int visible = across ? window->visible_width : window->visible_height;
  const int step_size = divisor > 0 ? visible / divisor : visible - visible / 16;
  const int sign = (operation == 0 || operation == 2) ? -1 : 1;
  QPoint to = sub->second.scroll;
  (across ? to.rx() : to.ry()) += sign * step_size;
  const QPoint before = sub->second.scroll;
  scroll_to(id, to.x(), to.y());
  const QPoint moved = sub->second.scroll - before;
  const int distance = std::abs(across ? moved.x() : moved.y());
  definition_.record.set16(kScrollShortAt, distance < step_size || distance == 0 ? 1 : 0);
}

// ---- pictures and media ------------------------------------------------------------------

int GraphicsProgram::picture_element(int operation, const std::vector<std::uint8_t>& data) {
  // The element's data are the operands of the stream's picture (or media) command: they are
  // drawn as that command is, with its checks, into the current window.
  if (data.empty()) {
    foundation::log_printf("dg_elem: Elementoperation %d ohne Daten", operation);
    return 0;
  }
  const std::size_t length = data.size() + 2;  // with the two-byte length form
  if (length > 0x7FFF) {
    foundation::log_printf("dg_elem: Elementoperation %d mit %zu Bytes zu lang", operation,
                           data.size());
    return 0;
  }
  std::vector<std::uint8_t> command;
  command.reserve(length + 1);
  command.push_back(
      static_cast<std::uint8_t>(operation == 21 ? graphics::DB_PICTURE : graphics::DB_MEDIA));
  command.push_back(static_cast<std::uint8_t>(0x80 | (length >> 8)));
  command.push_back(static_cast<std::uint8_t>(length & 0xFF));
  command.insert(command.end(), data.begin(), data.end());
  interpret(command, net::KWK_SDLEN);
  if (graphics::StreamWindow* window = stream().current()) {
    window->changed = true;
    post_picture(window->id);
  }
  return 0;
}

// ---- moving the window ---------------------------------------------------------------------

void GraphicsProgram::move_window(const graphics::WindowRecord& r) {
  int flags = r.i16(66) & (kMoveWindow | kSizeWindow);
  if (flags == 0) flags = kMoveWindow | kSizeWindow;
  if (flags & kMoveWindow) {
    session_.window_x = r.i32(68);
    session_.window_y = r.i32(72);
  }
  to_view::ShowWindows place;
  place.x = session_.window_x;
  place.y = session_.window_y;
  if (flags & kSizeWindow) {
    // The drawing area keeps its picture; the window shows as much of it as its size allows.
    place.width = std::clamp(r.i32(76), 50, kDeviceSizeMax);
    place.height = std::clamp(r.i32(80), 50, kDeviceSizeMax);
  }
  foundation::log_printf("KOVW Resize %d %d %d %d", place.x, place.y, place.width, place.height);
  post_to_view(*session_.to_view, std::move(place));
}

// ---- page history --------------------------------------------------------------------------

graphics::PageHistory& GraphicsProgram::page_history() {
  if (!page_history_)
    page_history_ = std::make_unique<graphics::PageHistory>(shell::temporary_directory(),
                                                            static_cast<std::uint32_t>(::getpid()));
  return *page_history_;
}

bool GraphicsProgram::showing_page() const {
  return page_history_ && page_history_->shown() >= 0;
}

void GraphicsProgram::page_history_step(const graphics::WindowRecord& r) {
  const int bits = r.u8(67);
  graphics::PageHistory& pages = page_history();
  if (bits & kPagesDiscard) pages.discard_all();
  const bool no_save_page = session_.host_hooks && session_.host_hooks->no_save_page != 0;
  if ((bits & kPageStore) && !no_save_page) {
    QString title;
    if (bits & kPageTitled) {
      const int text_flags = (r.u8(248) & 0x10) ? foundation::kTextUtf8 : 0;
      title = QString::fromStdU16String(
          foundation::host_to_wide(r.text(kPageTitleAt, kPageTitleSize), text_flags));
    }
    const graphics::StreamWindow* main = stream().window(0);
    const QImage* live = picture(0);
    if (main && live) {
      QImage shown = *live;
      if (main->segmented()) {
        graphics::SegmentedView view;
        view.view = live->rect();
        shown = segmented_picture(0, view);
      }
      pages.store(shown, title);
    }
  }
  // Storing or discarding shows the live picture again.
  if (bits & (kPagesDiscard | kPageStore)) show_page(-1);
  update_page_keys();
}

void GraphicsProgram::show_page(int index) {
  graphics::PageHistory& pages = page_history();
  pages.show(index);
  shown_page_ = pages.shown() >= 0 ? pages.load(static_cast<std::size_t>(pages.shown())) : QImage();
  if (pages.shown() >= 0 && shown_page_.isNull()) {
    foundation::log_printf("Kann Speicherseite %s nicht lesen.",
                           pages.pages()[static_cast<std::size_t>(pages.shown())].file.c_str());
    pages.show(-1);
  }
  post_picture(0);
}

void GraphicsProgram::update_page_keys() {
  const bool any = page_history_ && !page_history_->empty();
  const MenuItems& items = session_.frame.items;
  for (std::size_t i = 0; i < items.screen.size(); ++i) {
    const MenuItem& item = items.screen[i];
    if (item.keys.size() != 1) continue;
    const int key = item.keys[0] - kFunctionKeyBase;
    if (key < kPageFirst || key > kPageList) continue;
    // Only the disabled bit follows the pages; what else the host set stays, and nothing is
    // sent while the state holds.
    const int state = (item.state() & ~static_cast<int>(kItemDisabled)) |
                      (any ? 0 : static_cast<int>(kItemDisabled));
    if (state != item.state())
      frame_set_item_state(session_, kScreenItemBase + static_cast<int>(i), state, kStateSet);
  }
}

bool GraphicsProgram::page_command(int key) {
  if (key < kPageFirst || key > kScrollTop) return false;
  if (key == kScrollBottom || key == kScrollTop) {
    const graphics::StreamWindow* current = stream().current();
    if (current && !showing_page())
      scroll_to(current->id, sub_window_scroll(current->id).x(),
                key == kScrollBottom ? current->extent_height : 0);
    return true;
  }
  if (!page_history_ || page_history_->empty()) return true;
  const int count = static_cast<int>(page_history_->pages().size());
  const int shown = page_history_->shown();
  switch (key) {
    case kPageFirst:
      show_page(0);
      break;
    case kPagePrevious:
      // From the live picture the previous page is the last one stored.
      show_page(shown < 0 ? count - 1 : std::max(0, shown - 1));
      break;
    case kPageNext:
      // After the last page comes the live picture.
      if (shown >= 0) show_page(shown + 1 < count ? shown + 1 : -1);
      break;
    case kPageLast:
      show_page(count - 1);
      break;
    case kPageList: {
      to_view::ContextMenu menu;
      const int listed = std::min(count, kPageChoicesMax);
      for (int i = 0; i < listed; ++i) {
        const graphics::PageHistory::Page& page =
            page_history_->pages()[static_cast<std::size_t>(i)];
        FrameEntry entry;
        entry.id = kPageChoiceBase + i;
        entry.label = QString::number(page.number);
        if (!page.title.isEmpty()) entry.label += QStringLiteral("  ") + page.title;
        entry.state = i == shown ? kStatePressed : 0;
        menu.entries.push_back(std::move(entry));
      }
      post_to_view(*session_.to_view, std::move(menu));
      break;
    }
    default:
      break;
  }
  return true;
}

void GraphicsProgram::page_chosen(int index) {
  if (page_history_ && index >= 0 && index < static_cast<int>(page_history_->pages().size()))
    show_page(index);
}

QPoint GraphicsProgram::sub_window_scroll(std::int32_t id) const {
  const auto sub = sub_windows_.find(id);
  return sub == sub_windows_.end() ? QPoint() : sub->second.scroll;
}

}  // namespace kovw::session
