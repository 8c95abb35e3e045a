#include "graphics/stream_canvas.h"

#include <algorithm>
#include <chrono>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "graphics/picture_display.h"
#include "graphics/stream_opcodes.h"

namespace kovw::graphics {

struct StreamCanvas::Surface {
  QImage image;
  Argb background = kOpaqueWhite;
  std::unique_ptr<QPainter> own_painter;  // on the image; none when drawing on a page
  QPainter* painter = nullptr;
  std::unique_ptr<PainterRenderer> renderer;
  std::unique_ptr<GraphicsCanvas> canvas;
  // What the commands draw with: the window's own renderer and canvas, or while a segment is
  // replayed onto a view, the view's.
  PainterRenderer* drawing_renderer = nullptr;
  GraphicsCanvas* drawing_canvas = nullptr;
  std::unique_ptr<FontSelector> fonts;
  std::vector<TooltipArea> tips;
  std::vector<std::vector<TooltipArea>> tip_levels;
  std::vector<QImage> levels;  // the pictures below the open drawing levels
  struct Region {
    QPoint at;
    QImage image;
  };
  std::map<std::int32_t, Region> regions;
  std::int64_t region_pixels = 0;
};

StreamCanvas::StreamCanvas() : stream_(*this) {}

StreamCanvas::~StreamCanvas() = default;

StreamCanvas::Surface* StreamCanvas::surface(std::int32_t id) {
  const auto at = surfaces_.find(id);
  return at == surfaces_.end() ? nullptr : at->second.get();
}

const StreamCanvas::Surface* StreamCanvas::surface(std::int32_t id) const {
  const auto at = surfaces_.find(id);
  return at == surfaces_.end() ? nullptr : at->second.get();
}

const QImage* StreamCanvas::picture(std::int32_t id) const {
  const Surface* s = surface(id);
  return s ? &s->image : nullptr;
}

QImage StreamCanvas::segmented_picture(std::int32_t id, const SegmentedView& view) {
  Surface* s = surface(id);
  StreamWindow* w = stream_.window(id);
  if (!s || !w) return {};
  const std::vector<Segment>& segments = w->segments.segments();
  std::vector<QRect> rects;
  rects.reserve(segments.size());
  for (const Segment& segment : segments)
    rects.emplace_back(QPoint(segment.rect.x1, segment.rect.y1),
                       QPoint(segment.rect.x2, segment.rect.y2));
  StreamContext context;
  context.library_version = host_version_;
  context.suppress_repaints = true;
  return compose_segmented(s->image, view, rects,
                           [&](std::size_t index, QPainter& painter, QPoint scroll) {
                             // The segment draws on the view's picture, shifted by the scroll.
                             PainterRenderer renderer(painter);
                             WorldMapping mapping = w->mapping;
                             mapping.scroll_x = scroll.x();
                             mapping.scroll_y = scroll.y();
                             GraphicsCanvas canvas(renderer, mapping);
                             s->drawing_renderer = &renderer;
                             s->drawing_canvas = &canvas;
                             stream_.replay(*w, segments[index], context);
                             s->drawing_renderer = s->renderer.get();
                             s->drawing_canvas = s->canvas.get();
                             return true;
                           });
}

LastText StreamCanvas::last_text(std::int32_t id) const {
  const Surface* s = surface(id);
  return s ? s->canvas->last_text() : LastText{};
}

const std::vector<TooltipArea>* StreamCanvas::tooltips(std::int32_t id) const {
  const Surface* s = surface(id);
  return s ? &s->tips : nullptr;
}

StreamWindow& StreamCanvas::new_window(std::int32_t id, const WorldMapping& mapping, int width,
                                       int height, Argb background) {
  StreamWindow& window = stream_.add_window(id);
  window.mapping = mapping;
  window.attributes.background = background;
  window.visible_width = width;
  window.visible_height = height;
  window.extent_width = width;
  window.extent_height = height;
  surfaces_.erase(id);
  return window;
}

void StreamCanvas::add_surface(std::int32_t id, std::unique_ptr<Surface> s,
                               const StreamWindow& window, QPainter& painter,
                               const QPaintDevice* font_device, Argb background) {
  s->background = background;
  s->painter = &painter;
  s->renderer = std::make_unique<PainterRenderer>(painter);
  s->canvas = std::make_unique<GraphicsCanvas>(*s->renderer, window.mapping);
  s->fonts = std::make_unique<FontSelector>(font_device);
  s->drawing_renderer = s->renderer.get();
  s->drawing_canvas = s->canvas.get();
  font_facts_.device_width = window.visible_width;
  surfaces_[id] = std::move(s);
}

bool StreamCanvas::create_window(std::int32_t id, const WorldMapping& mapping, int width,
                                 int height, Argb background) {
  const StreamWindow& window = new_window(id, mapping, width, height, background);
  auto s = std::make_unique<Surface>();
  s->image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
  if (s->image.isNull()) return false;
  s->image.fill(QColor::fromRgba(background));
  s->own_painter = std::make_unique<QPainter>(&s->image);
  QPainter& painter = *s->own_painter;
  const QPaintDevice* device = &s->image;
  add_surface(id, std::move(s), window, painter, device, background);
  return true;
}

void StreamCanvas::attach_window(std::int32_t id, const WorldMapping& mapping, QPainter& page,
                                 int width, int height, Argb background) {
  const StreamWindow& window = new_window(id, mapping, width, height, background);
  add_surface(id, std::make_unique<Surface>(), window, page, page.device(), background);
}

void StreamCanvas::release_windows() {
  surfaces_.clear();
  stream_.clear();
}

void StreamCanvas::clear_pictures() {
  for (auto& [id, s] : surfaces_) {
    if (s->image.isNull()) continue;  // a printed page keeps what it got
    s->image.fill(QColor::fromRgba(s->background));
    if (StreamWindow* w = stream_.window(id)) w->changed = true;
  }
}

std::shared_ptr<CachedFont> StreamCanvas::information_font(std::int32_t id,
                                                           const FontRequest& request,
                                                           bool wide_widths) {
  Surface* s = surface(id);
  if (!s) return nullptr;
  s->fonts->select(request, font_facts_, stream_.font_names(), FontOrigin::StreamOrInfo,
                   wide_widths);
  return s->fonts->current();
}

std::shared_ptr<CachedFont> StreamCanvas::current_font(std::int32_t id) {
  Surface* s = surface(id);
  return s ? s->fonts->current() : nullptr;
}

void StreamCanvas::clear_rectangle(std::int32_t id, std::int32_t x1, std::int32_t y1,
                                   std::int32_t x2, std::int32_t y2) {
  Surface* s = surface(id);
  if (!s) return;
  const QRect rect = s->canvas->device_rect(x1, y1, x2, y2).toAlignedRect();
  s->painter->fillRect(rect, QColor::fromRgba(s->background));
  if (StreamWindow* w = stream_.window(id)) w->changed = true;
}

int StreamCanvas::open_level(std::int32_t id) {
  Surface* s = surface(id);
  if (!s) return 0;
  if (s->image.isNull()) return kLevelNoMemory;  // pages have no levels
  if (s->levels.size() >= kLevelsMax) return kLevelsFull;
  QImage copy = s->image.copy();
  if (copy.isNull()) return kLevelNoMemory;
  s->levels.push_back(std::move(copy));
  return 0;
}

void StreamCanvas::close_level(std::int32_t id) {
  Surface* s = surface(id);
  if (!s || s->levels.empty()) return;
  s->painter->setCompositionMode(QPainter::CompositionMode_Source);
  s->painter->drawImage(0, 0, s->levels.back());
  s->painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  s->levels.pop_back();
  if (StreamWindow* w = stream_.window(id)) w->changed = true;
}

int StreamCanvas::store_region(std::int32_t id, std::int32_t key, bool whole, std::int32_t x1,
                               std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  Surface* s = surface(id);
  if (!s) return 0;
  if (s->image.isNull()) return kLevelNoMemory;  // pages keep no regions
  const QRect rect =
      whole ? s->image.rect()
            : s->canvas->device_rect(x1, y1, x2, y2).toAlignedRect().intersected(s->image.rect());
  const auto old = s->regions.find(key);
  const std::int64_t freed = old == s->regions.end() ? 0
                                                     : std::int64_t{old->second.image.width()} *
                                                           old->second.image.height();
  if (old == s->regions.end() && s->regions.size() >= kRegionsMax) return kRegionsFull;
  const std::int64_t pixels = std::int64_t{rect.width()} * rect.height();
  if (s->region_pixels - freed + pixels > kRegionPixelsMax) return kLevelNoMemory;
  QImage copy = s->image.copy(rect);
  if (copy.isNull() && pixels > 0) return kLevelNoMemory;
  s->region_pixels += pixels - freed;
  s->regions[key] = Surface::Region{rect.topLeft(), std::move(copy)};
  return 0;
}

bool StreamCanvas::restore_region(std::int32_t id, std::int32_t key, bool at, std::int32_t x,
                                  std::int32_t y) {
  Surface* s = surface(id);
  if (!s) return false;
  const auto region = s->regions.find(key);
  if (region == s->regions.end()) return false;
  const QPoint place =
      at ? s->canvas->device_rect(x, y, x, y).toAlignedRect().topLeft() : region->second.at;
  s->painter->setCompositionMode(QPainter::CompositionMode_Source);
  s->painter->drawImage(place, region->second.image);
  s->painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (StreamWindow* w = stream_.window(id)) w->changed = true;
  return true;
}

void StreamCanvas::lines(StreamWindow& w, std::span<const WorldPoint> p) {
  if (Surface* s = surface(w.id)) s->drawing_canvas->lines(p, w.attributes);
}

void StreamCanvas::circle(StreamWindow& w, const CircleCommand& c) {
  if (Surface* s = surface(w.id)) s->drawing_canvas->circle(c, w.attributes);
}

void StreamCanvas::rectangle(StreamWindow& w, const RectangleCommand& r) {
  if (Surface* s = surface(w.id)) s->drawing_canvas->rectangle(r, w.attributes);
}

void StreamCanvas::text(StreamWindow& w, std::int32_t x, std::int32_t y, std::string_view bytes) {
  Surface* s = surface(w.id);
  if (!s) return;
  const FontSources fonts{*s->fonts, stream_.font_names(), font_facts_, false};
  s->drawing_canvas->text(x, y, bytes, w.attributes, fonts);
}

void StreamCanvas::bars(StreamWindow& w, const BarsCommand& b) {
  if (Surface* s = surface(w.id)) s->drawing_canvas->bars(b);
}

void StreamCanvas::control(StreamWindow& w, int kind, int state, std::int32_t x1, std::int32_t y1,
                           std::int32_t x2, std::int32_t y2) {
  if (Surface* s = surface(w.id))
    s->drawing_canvas->control(kind, state, x1, y1, x2, y2, host_version_ >= kVersionWiderControl);
}

void StreamCanvas::picture(StreamWindow& w, const PictureCommand& p) {
  Surface* s = surface(w.id);
  if (!s) return;
  PictureRequest request;
  request.file_name = std::string(p.file_name);
  request.rect = s->drawing_canvas->device_rect(p.x1, p.y1, p.x2, p.y2);
  request.program = program_;
  request.fetch = fetch_;
  show_picture(*s->drawing_renderer, request);
}

void StreamCanvas::media(StreamWindow&, const MediaCommand& m) {
  foundation::log_printf("DB_MEDIA: kein Medienspieler, Art %d, Datei %.*s", m.kind,
                         static_cast<int>(m.file_name.size()), m.file_name.data());
}

void StreamCanvas::select_font(StreamWindow& w) {
  if (Surface* s = surface(w.id))
    s->fonts->select(w.attributes.font, font_facts_, stream_.font_names(),
                     FontOrigin::StreamOrInfo);
}

void StreamCanvas::font_name_changed(int) {
  for (auto& [id, s] : surfaces_) s->fonts->forget_fonts();
}

void StreamCanvas::tooltip(StreamWindow& w, const SenseCommand& sense) {
  Surface* s = surface(w.id);
  if (!s) return;
  switch (sense.kind) {
    case kSenseAdd: {
      TooltipArea tip;
      tip.id = next_tip_id_++;
      tip.value = sense.value;
      tip.rect =
          s->drawing_canvas->device_rect(sense.x1, sense.y1, sense.x2, sense.y2).toAlignedRect();
      const int flags = (sense.flags & 0x0800) ? foundation::kTextUtf8 : 0;
      tip.text = QString::fromStdU16String(foundation::host_to_wide(sense.text, flags))
                     .left(kSenseTextMax);
      s->tips.push_back(std::move(tip));
      break;
    }
    case kSenseRemove:
      if (sense.flags & 0x0100) {
        s->tips.clear();
      } else {
        std::erase_if(s->tips, [&](const TooltipArea& t) { return t.value == sense.value; });
      }
      break;
    case kSenseLevel:
      if (sense.flags & 0x0200) {
        s->tips.clear();
        if (!s->tip_levels.empty()) {
          s->tips = std::move(s->tip_levels.back());
          s->tip_levels.pop_back();
        }
      } else if (sense.flags & 0x0100) {
        s->tip_levels.push_back(std::move(s->tips));
        s->tips.clear();
      } else if (sense.flags & 0x0001) {
        tips_active_ = true;
      } else if (sense.flags & 0x0002) {
        tips_active_ = false;
      }
      break;
    default:
      foundation::log_printf("DB_SENSE: Art %d unbekannt", sense.kind);
      return;
  }
  w.changed = true;  // the areas reach the view with the next picture
}

void StreamCanvas::window_operation(int operation, std::int32_t id) {
  foundation::log_printf("DB_WINOP %d: Fenster %d nicht vorhanden", operation, id);
}

void StreamCanvas::segments_changed(StreamWindow& w) {
  foundation::log_printf("DB_WINSEG: Fenster %d, Ausdehnung %d x %d", w.id, w.extent_width,
                         w.extent_height);
}

std::int64_t StreamCanvas::now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace kovw::graphics
