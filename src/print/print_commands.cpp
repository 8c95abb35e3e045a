// The escape commands of the print language.
#include <algorithm>

#include "foundation/log.h"
#include "print/print_interpreter.h"

namespace kovw::print {

namespace {

int clamp_int(std::int64_t v, std::int64_t low = -kMaxCoordinate,
              std::int64_t high = kMaxCoordinate) {
  return static_cast<int>(std::clamp<std::int64_t>(v, low, high));
}

// `value` hundredths of a unit of `unit` pixels.
int units(std::int64_t hundredths, int unit) {
  return clamp_int(hundredths * unit / 100);
}

// An absolute or relative position, not below 0.
int moved(int current, const EscapeParameter& p, int target) {
  const std::int64_t v = p.relative() ? std::int64_t{current} + target : target;
  return clamp_int(v, 0);
}

// Paper sizes of command P with one parameter.
void standard_paper(std::int64_t code, PageSettings& settings) {
  settings.custom_width = settings.custom_length = 0;
  switch (code) {
    case 0:
      settings.paper = PaperSize::Custom;
      settings.custom_width = 8410;
      settings.custom_length = 11890;
      break;
    case 1:
      settings.paper = PaperSize::Custom;
      settings.custom_width = 5940;
      settings.custom_length = 8410;
      break;
    case 2:
      settings.paper = PaperSize::A2;
      break;
    case 3:
      settings.paper = PaperSize::A3;
      break;
    case 5:
      settings.paper = PaperSize::A5;
      break;
    default:
      settings.paper = PaperSize::A4;
      break;
  }
}

constexpr int kAutomaticSource = 7;
constexpr int kOverlayDelete = 0;
constexpr int kOverlayWrite = 1;
constexpr int kOverlayRewind = 2;
constexpr int kOverlayActivate = 3;
constexpr int kOverlayDeactivate = 4;

}  // namespace

void PrintInterpreter::command(const EscapeSequence& s, ByteCursor& in) {
  const EscapeParameter& p1 = s[0];
  switch (s.command) {
    case '&':
      state_.cells = p1.integer() != 0;
      break;
    case 'B':
      settings_.paper_source = device_.paper_source_at(clamp_int(p1.integer()));
      if (settings_.paper_source <= 0) settings_.paper_source = kAutomaticSource;
      settings_.change_source = true;
      break;
    case 'C':
      state_.x = moved(state_.x, p1, units(p1.hundredths(), state_.column_width));
      break;
    case 'D':
      switch (p1.integer()) {
        case 0:
          settings_.duplex = 1;
          break;
        case 1:
        case 2:
          settings_.duplex = s[1].integer() != 0 ? 3 : 2;
          break;
        case 3:
          end_page();
          break;
        default:
          break;
      }
      break;
    case 'E':
      reset();
      break;
    case 'F':
      font_command(s);
      break;
    case 'G':
      state_.x = clamp_int(to_x(p1.hundredths()), 0);
      state_.y = clamp_int(to_y(s[1].hundredths()), 0);
      break;
    case 'H':
      if (p1.hundredths() == 0) {
        refuse_zero_divisor('H');
        break;
      }
      state_.advance = clamp_int(std::int64_t{geometry_.dpi_x} * 100 / p1.hundredths(), 0);
      break;
    case 'I':
      state_.column_width = clamp_int(to_x(p1.hundredths()), 0);
      break;
    case 'L':
      if (p1.hundredths() == 0) {
        refuse_zero_divisor('L');
        break;
      }
      state_.line_height = clamp_int(std::int64_t{geometry_.dpi_y} * 100 / p1.hundredths(), 0);
      break;
    case 'M':
      margins_command(s, false);
      break;
    case 'm':
      margins_command(s, true);
      break;
    case 'O':
      settings_.orientation = p1.integer() != 0 ? 2 : 1;
      break;
    case 'P':
      paper_command(s);
      break;
    case 'R':
      state_.y = moved(state_.y, p1, units(p1.hundredths(), state_.line_height));
      break;
    case 'S':
      if (p1.integer() != 0) {
        if (state_.stack_depth < kPositionStackDepth)
          state_.stack[static_cast<std::size_t>(state_.stack_depth++)] = {state_.x, state_.y};
      } else if (state_.stack_depth > 0) {
        const PixelPoint p = state_.stack[static_cast<std::size_t>(--state_.stack_depth)];
        state_.x = p.x;
        state_.y = p.y;
      }
      break;
    case 'V':
      state_.line_height = clamp_int(to_y(p1.hundredths()), 0);
      break;
    case 'X':
      state_.x = moved(state_.x, p1, to_x(p1.hundredths()));
      break;
    case 'Y':
      state_.y = moved(state_.y, p1, to_y(p1.hundredths()));
      break;
    case 'a':
      arc_command(s);
      break;
    case 'b':
      bitmap_start(s);
      break;
    case 'c':
      state_.text_colour = colour_from(s);
      break;
    case 'd':
      bitmap_data(s, in);
      break;
    case 'e':
      if (p1.kind == ParameterKind::Minus)
        state_.attributes &= ~static_cast<int>(p1.value);
      else
        state_.attributes |= static_cast<int>(p1.value);
      break;
    case 'f':
      settings_.paper_source = clamp_int(p1.integer(), 0, 0xFFFF);
      settings_.change_source = settings_.paper_source != 0;
      break;
    case 'g':
      state_.fill = colour_from(s);
      break;
    case 'h':
      state_.background = colour_from(s);
      break;
    case 'k':
      bitmap_compression(s);
      break;
    case 'l':
      line_command(s);
      break;
    case 'o':
      overlay_command(s, in);
      break;
    case 'p':
      bitmap_.set_palette_entry(clamp_int(s[3].integer()),
                                colour_from(EscapeSequence{'p', 3, {s[0], s[1], s[2]}}));
      break;
    case 'r':
      rectangle_command(s);
      break;
    case 's':
      path_command(s);
      break;
    case 'v':
      if (auto brush = fill_pattern(!p1.present(), p1.integer(), state_.fill))
        state_.brush = *brush;
      break;
    case 'w':
      pen_command(s);
      break;
    default:
      break;  // any other command letter is ignored
  }
}

void PrintInterpreter::font_command(const EscapeSequence& s) {
  FontSpec font = state_.font;
  const EscapeParameter& flags = s[0];
  if (flags.kind == ParameterKind::Plus)
    font.flags |= flags.value;
  else if (flags.kind == ParameterKind::Minus)
    font.flags &= ~flags.value;
  else if (flags.kind == ParameterKind::Number)
    font.flags = flags.value;
  const EscapeParameter& face = s[1];
  if (face.kind == ParameterKind::String || face.kind == ParameterKind::Number) {
    const FaceChoice choice = face.kind == ParameterKind::String ? face_from_name(face.text)
                                                                 : face_from_number(face.integer());
    font.face = choice.face.empty() ? font.face : choice.face;
    font.flags |= choice.add_flags;
    font.symbol = choice.symbol;
  }
  const EscapeParameter& size = s[2];
  const EscapeParameter& pitch = s[3];
  if (size.present() && size.hundredths() > 0) {
    font.size_tenths = clamp_int(size.hundredths() / 10, 1, 100000);
  } else if (pitch.present()) {
    if (pitch.hundredths() <= 0) {
      refuse_zero_divisor('F');
    } else {
      // p4 characters per inch: 120 / p4 points.
      font.size_tenths = clamp_int(
          (120 * 10 * 100 * 2 + pitch.hundredths()) / (2 * pitch.hundredths()), 1, 100000);
    }
  }
  font.light = options_.print_bold && (font.flags & kFontBold) == 0;
  set_font(font);
}

void PrintInterpreter::margins_command(const EscapeSequence& s, bool in_decipoints) {
  if (in_decipoints) {
    state_.left = to_x(s[0].hundredths());
    state_.top = to_y(s[1].hundredths());
    state_.right = to_x(s[2].hundredths());
    state_.bottom = to_y(s[3].hundredths());
  } else {
    state_.left = units(s[0].hundredths(), state_.column_width);
    state_.top = units(s[1].hundredths(), state_.line_height);
    state_.right = units(s[2].hundredths(), state_.column_width);
    state_.bottom = units(s[3].hundredths(), state_.line_height);
  }
  if (state_.top == 0) state_.top = state_.metrics.ascent;
}

void PrintInterpreter::paper_command(const EscapeSequence& s) {
  if (s.count >= 2) {
    settings_.paper = PaperSize::Custom;
    settings_.custom_width = clamp_int(s[0].hundredths() / 10, 0, 100000);
    settings_.custom_length = clamp_int(s[1].hundredths() / 10, 0, 100000);
    return;
  }
  standard_paper(s[0].integer(), settings_);
}

void PrintInterpreter::pen_command(const EscapeSequence& s) {
  PenSpec pen;
  // Without a style the pen is solid.
  pen.style = s.count >= 2 ? pen_style(s[1].integer()) : PenStyle::Solid;
  pen.width = clamp_int((s[0].hundredths() * geometry_.dpi_x + 15000) / 30000, 0, 100000);
  pen.colour = state_.text_colour;
  state_.pen = pen;
}

void PrintInterpreter::line_command(const EscapeSequence& s) {
  if (!ensure_page()) return;
  const int x1 = s[0].present() ? to_x(s[0].hundredths()) : state_.x;
  const int y1 = s[1].present() ? to_y(s[1].hundredths()) : state_.y;
  const int x2 = to_x(s[2].hundredths());
  const int y2 = to_y(s[3].hundredths());
  device_.draw_line(page_x(x1), page_y(y1), page_x(x2), page_y(y2), state_.pen);
  state_.x = x2;
  state_.y = y2;
}

void PrintInterpreter::rectangle_command(const EscapeSequence& s) {
  if (!ensure_page()) return;
  const int x1 = to_x(s[0].hundredths());
  const int y1 = to_y(s[1].hundredths());
  const int x2 = to_x(s[2].hundredths());
  const int y2 = to_y(s[3].hundredths());
  // On text baselines: one font ascent higher.
  const int shift = (state_.attributes & kAttributeBaselineRectangles) ? state_.metrics.ascent : 0;
  device_.draw_rectangle(page_x(x1), page_y(y1) - shift, page_x(x2), page_y(y2) - shift, state_.pen,
                         state_.brush);
  state_.x = x1;
  state_.y = y1;
}

void PrintInterpreter::path_command(const EscapeSequence& s) {
  const int x = to_x(s[0].hundredths());
  const int y = to_y(s[1].hundredths());
  switch (s[2].integer()) {
    case 0:
      state_.x = x;
      state_.y = y;
      state_.path_start = {x, y};
      break;
    case 1:
    case 2:
      if (!ensure_page()) return;
      device_.draw_line(page_x(state_.x), page_y(state_.y), page_x(x), page_y(y), state_.pen);
      state_.x = x;
      state_.y = y;
      break;
    case 3:
      if (!ensure_page()) return;
      device_.draw_line(page_x(state_.x), page_y(state_.y), page_x(state_.path_start.x),
                        page_y(state_.path_start.y), state_.pen);
      state_.x = state_.path_start.x;
      state_.y = state_.path_start.y;
      break;
    default:
      break;
  }
}

void PrintInterpreter::arc_command(const EscapeSequence& s) {
  if (!ensure_page()) return;
  const int cx = page_x(to_x(s[0].hundredths()));
  const int cy = page_y(to_y(s[1].hundredths()));
  const int radius = clamp_int(s[2].integer(), 0);
  const int start = clamp_int(s[3].hundredths(), -3600000, 3600000);
  const int end = clamp_int(s[4].hundredths(), -3600000, 3600000);
  const std::int64_t kind = s[5].integer();
  const ArcKind arc = (kind == 1 || kind == 3) ? ArcKind::Arc
                      : kind == 2              ? ArcKind::Pie
                                               : ArcKind::Circle;
  device_.draw_arc(arc, cx, cy, radius, start, end, state_.pen, state_.brush);
}

void PrintInterpreter::bitmap_start(const EscapeSequence& s) {
  const int width = clamp_int(s[0].integer(), 0);
  const int height = clamp_int(s[1].integer(), 0);
  switch (
      bitmap_.start(width, height, clamp_int(s[2].integer(), 0), clamp_int(s[3].integer(), 0))) {
    case RasterBitmap::Start::Ok:
      break;
    case RasterBitmap::Start::Busy:
      report(40320, 0, kLocationBitmap, print_message(40320));
      break;
    case RasterBitmap::Start::BadSize:
      foundation::log_printf("kovwp: bitmap %d x %d, kind %d refused (size)", width, height,
                             static_cast<int>(s[3].integer()));
      break;
  }
}

void PrintInterpreter::bitmap_compression(const EscapeSequence& s) {
  const std::int64_t mode = s[0].integer();
  if (mode != kCompressionEnd) {
    bitmap_.set_compression(clamp_int(mode));
    return;
  }
  if (!bitmap_.active()) return;
  if (bitmap_.pixel_kind() == kPixelsSixteenBits) {
    bitmap_.finish();  // sixteen-bit bitmaps are not drawn
    return;
  }
  if (bitmap_.resolution() <= 0) {
    refuse_zero_divisor('b');
    bitmap_.finish();
    return;
  }
  if (ensure_page()) {
    const RasterImage image = bitmap_.image();
    const int res = bitmap_.resolution();
    const int width = clamp_int(std::int64_t{image.width} * geometry_.dpi_x / res, 0);
    const int height = clamp_int(std::int64_t{image.height} * geometry_.dpi_y / res, 0);
    device_.draw_bitmap(image, page_x(state_.x), page_y(state_.y), width, height);
  }
  bitmap_.finish();
}

void PrintInterpreter::bitmap_data(const EscapeSequence& s, ByteCursor& in) {
  const int mode = bitmap_.compression();
  const std::int64_t count = std::max<std::int64_t>(0, s[1].integer());
  const std::int64_t repeat = s[2].present() ? std::max<std::int64_t>(0, s[2].integer()) : 1;
  std::span<const std::uint8_t> coded;
  if (mode != kCompressionRepeat) {
    // The row's bytes follow in the stream; never more than are left.
    coded = in.take(static_cast<std::size_t>(count));
    if (coded.size() < static_cast<std::size_t>(count)) {
      report(40321, 0, kLocationBitmapData, print_message(40321, 0));
    }
  }
  if (!RasterBitmap::known_compression(mode)) {
    report(40323, 0, kLocationBitmapData, print_message(40323, mode, "BITMAP_DATA"));
    return;
  }
  if (!bitmap_.active()) return;
  bitmap_.add_rows(coded, count, repeat);
}

void PrintInterpreter::overlay_command(const EscapeSequence& s, ByteCursor& in) {
  const std::int64_t slot = s[0].integer();
  const std::int64_t action = s[1].integer();
  const std::int64_t size = std::max<std::int64_t>(0, s[2].integer());
  if (playing_overlay_) {
    // An overlay cannot change overlays: it would change itself or start another one.
    foundation::log_printf("kovwp: overlay command %d in an overlay refused",
                           static_cast<int>(action));
    if (action == kOverlayWrite) in.skip(static_cast<std::size_t>(size));
    report(40323, 0, kLocationOverlay, print_message(40323, static_cast<int>(action), "OVERLAY"));
    return;
  }
  if (slot < 0 || slot >= kOverlaySlots) {
    if (action == kOverlayWrite) in.skip(static_cast<std::size_t>(size));
    report(40323, 0, kLocationOverlay, print_message(40323, static_cast<int>(slot), "OVERLAY"));
    return;
  }
  OverlaySlot& overlay = overlays_[static_cast<std::size_t>(slot)];
  switch (action) {
    case kOverlayDelete:
      overlay = {};
      if (overlay_active_ == slot) overlay_active_ = -1;
      break;
    case kOverlayWrite: {
      const std::span<const std::uint8_t> bytes = in.take(static_cast<std::size_t>(size));
      if (bytes.size() < static_cast<std::size_t>(size))
        report(40321, 0, kLocationOverlay, print_message(40321, 0));
      const std::size_t end = overlay.write_position + bytes.size();
      if (overlay.data.size() < end) overlay.data.resize(end);
      std::copy(bytes.begin(), bytes.end(),
                overlay.data.begin() + static_cast<std::ptrdiff_t>(overlay.write_position));
      overlay.write_position = end;
      break;
    }
    case kOverlayRewind:
      overlay.write_position = 0;
      break;
    case kOverlayActivate:
      overlay_active_ = static_cast<int>(slot);
      break;
    case kOverlayDeactivate:
      if (overlay_active_ == slot) overlay_active_ = -1;
      break;
    default:
      break;
  }
}

}  // namespace kovw::print
