// The stream, the text and the pages of the print language; the escape commands are in
// print_commands.cpp.
#include "print/print_interpreter.h"

#include <algorithm>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/verbose.h"

namespace kovw::print {

namespace {

constexpr std::uint8_t kBackspace = 0x08;
constexpr std::uint8_t kTab = 0x09;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kFormFeed = 0x0C;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kEscape = 0x1B;

// Tabs: every eight columns, or every half inch without a column width.
constexpr int kTabColumns = 8;

int clamp_coordinate(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, -kMaxCoordinate, kMaxCoordinate));
}

// value × dpi / divisor, rounded half away from zero.
int scale_rounded(std::int64_t value, int dpi, std::int64_t divisor) {
  const std::int64_t product = value * dpi;
  const std::int64_t half = divisor / 2;
  return clamp_coordinate(product >= 0 ? (product + half) / divisor
                                       : -((-product + half) / divisor));
}

}  // namespace

PrintInterpreter::PrintInterpreter(PrintDevice& device, PrintOptions options,
                                   PrintErrorSink* errors, const std::atomic<bool>* cancel)
    : device_(device), options_(options), errors_(errors), cancel_(cancel) {}

InterpretResult interpret_print_stream(PrintDevice& device, std::span<const std::uint8_t> stream,
                                       const PrintOptions& options, PrintErrorSink* errors,
                                       const std::atomic<bool>* cancel) {
  return PrintInterpreter(device, options, errors, cancel).run(stream);
}

InterpretResult PrintInterpreter::run(std::span<const std::uint8_t> stream) {
  result_ = {};
  page_pending_ = true;
  document_started_ = false;
  cancelled_ = false;
  overlay_active_ = -1;
  playing_overlay_ = false;
  font_selected_ = false;
  state_ = {};
  reset();
  ByteCursor in(stream);
  interpret(in);
  if (!stopped()) flush_text();
  if (bitmap_.active()) {
    foundation::log_printf("kovwp: bitmap %d x %d not ended (k 99) at the end of the job",
                           bitmap_.width(), bitmap_.height());
    bitmap_.finish();
  }
  cancelled_ = cancelled_ || (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed));
  if (!page_pending_ && !result_.failed && !cancelled_) end_page();
  if (document_started_) device_.end_document(result_.failed || cancelled_);
  for (OverlaySlot& slot : overlays_) slot = {};
  result_.cancelled = cancelled_;
  return result_;
}

bool PrintInterpreter::stopped() const {
  return result_.failed || cancelled_;
}

void PrintInterpreter::interpret(ByteCursor& in) {
  while (!in.at_end()) {
    if (result_.failed) return;
    if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
      cancelled_ = true;
      return;
    }
    const std::uint8_t byte = in.next();
    switch (byte) {
      case kBackspace:
        flush_text();
        state_.x = std::max(0, state_.x - state_.advance);
        break;
      case kTab:
        tab();
        break;
      case kLineFeed:
        line_feed();
        break;
      case kFormFeed:
        form_feed();
        break;
      case kCarriageReturn:
        flush_text();
        state_.x = 0;
        break;
      case kEscape:
        escape(in);
        break;
      default:
        add_text(byte);
        break;
    }
  }
}

void PrintInterpreter::add_text(std::uint8_t byte) {
  if (page_pending_ && !ensure_page()) return;
  text_.push_back(static_cast<char>(byte));
  if (text_.size() >= kTextBufferSize) flush_text();
}

void PrintInterpreter::flush_text() {
  if (text_.empty()) return;
  wide_.clear();
  if (symbol_face(state_.font.face)) {
    for (const char ch : text_) wide_.push_back(symbol_to_wide(static_cast<unsigned char>(ch)));
  } else {
    for (const char ch : text_)
      wide_.push_back(foundation::ansi_to_wide(static_cast<unsigned char>(ch)));
  }
  text_.clear();
  if (page_pending_) return;  // the page could not be started
  TextRun run;
  run.text = wide_;
  run.x = page_x(state_.x);
  run.y = page_y(state_.y);
  run.colour = state_.text_colour;
  run.background = state_.background;
  run.opaque = state_.background != kWhite;
  if (state_.font.flags & kFontHighlight) {
    run.opaque = true;
    run.background = state_.highlight;
  }
  if (state_.font.flags & kFontInverse) {
    std::swap(run.colour, run.background);
    run.opaque = true;
  }
  int width = 0;
  if (state_.cells && state_.advance > 0) {
    run.cell_advance = state_.advance;
    width =
        clamp_coordinate(std::int64_t{state_.advance} * static_cast<std::int64_t>(wide_.size()));
  } else {
    width = device_.text_width(wide_);
  }
  device_.draw_text(run);
  state_.x = clamp_coordinate(std::int64_t{state_.x} + width);
}

void PrintInterpreter::tab() {
  flush_text();
  const std::int64_t step = state_.column_width > 0
                                ? std::int64_t{state_.column_width} * kTabColumns
                                : std::max(1, geometry_.dpi_x / 2);
  state_.x = clamp_coordinate((std::max(0, state_.x) / step + 1) * step);
}

void PrintInterpreter::line_feed() {
  flush_text();
  state_.x = 0;
  state_.y = clamp_coordinate(std::int64_t{state_.y} + state_.line_height);
  if (playing_overlay_) return;
  // The page ends when the next line would reach past the printable area less the bottom
  // margin; a page that holds nothing yet comes out blank, as on a line printer.
  const std::int64_t line_bottom = std::int64_t{page_y(state_.y)} + state_.metrics.descent;
  if (line_bottom > geometry_.printable_height - state_.bottom) {
    if (page_pending_ && !start_page()) return;
    end_page();
  }
}

void PrintInterpreter::form_feed() {
  flush_text();
  if (playing_overlay_) {
    foundation::log_printf("kovwp: form feed in an overlay ignored");
    return;
  }
  if (page_pending_ && !start_page()) return;
  end_page();
}

void PrintInterpreter::escape(ByteCursor& in) {
  flush_text();
  const EscapeSequence sequence = read_escape_sequence(in);
  if (foundation::verbose(foundation::kVerbosePrinting)) {
    foundation::log_printf("kovwp: ESC %c (%d parameters)",
                           sequence.command ? sequence.command : '?', sequence.count);
  }
  if (sequence.command != 0) command(sequence, in);
}

bool PrintInterpreter::ensure_page() {
  if (!page_pending_) return true;
  if (stopped()) return false;
  return start_page();
}

bool PrintInterpreter::start_page() {
  if (stopped()) return false;
  if (const int error = device_.apply_settings(settings_); error != 0) {
    fail(40326, error, kLocationDeviceSettings);
    return false;
  }
  if (!document_started_) {
    if (const int error = device_.start_document(); error != 0) {
      fail(40315, error, kLocationStartDocument);
      return false;
    }
    document_started_ = true;
  }
  if (const int error = device_.start_page(); error != 0) {
    fail(40316, error, kLocationStartPage);
    return false;
  }
  geometry_ = device_.geometry();
  page_pending_ = false;
  ++result_.pages;
  if (overlay_active_ >= 0) play_overlay(overlay_active_);
  return true;
}

void PrintInterpreter::end_page() {
  if (playing_overlay_ || page_pending_) return;
  if (!cancelled_) {
    if (const int error = device_.end_page(); error != 0) {
      fail(40319, error, kLocationEndPage);
      return;
    }
  }
  page_pending_ = true;
  state_.x = 0;
  state_.y = 0;
}

void PrintInterpreter::play_overlay(int slot) {
  if (playing_overlay_ || slot < 0 || slot >= kOverlaySlots) return;
  const OverlaySlot& overlay = overlays_[static_cast<std::size_t>(slot)];
  if (overlay.data.empty()) return;
  const DrawState saved = state_;
  playing_overlay_ = true;
  default_drawing_state();
  ByteCursor in(overlay.data);
  interpret(in);
  if (!stopped()) flush_text();
  text_.clear();
  playing_overlay_ = false;
  state_ = saved;
  if (!stopped()) state_.metrics = device_.select_font(state_.font);
}

void PrintInterpreter::report(int message, int system_error, int location,
                              const std::string& text) {
  if (result_.first_error == 0) result_.first_error = message;
  if (errors_ != nullptr) errors_->report({message, system_error, location, text});
}

void PrintInterpreter::fail(int message, int system_error, int location) {
  report(message, system_error, location, print_message(message, system_error));
  result_.failed = true;
  result_.message = message;
  result_.system_error = system_error;
}

void PrintInterpreter::refuse_zero_divisor(char command) {
  foundation::log_printf("kovwp: command %c with divisor 0 refused", command);
}

void PrintInterpreter::reset() {
  settings_ = device_.default_settings();
  settings_.change_source = false;
  geometry_ = device_.geometry();
  default_drawing_state();
  state_.line_height = to_y(120 * 100);
  if (state_.top == 0) state_.top = state_.metrics.ascent;
}

void PrintInterpreter::default_drawing_state() {
  state_.text_colour = kBlack;
  state_.background = kWhite;
  state_.fill = kBlack;
  state_.highlight = kDefaultHighlight;
  state_.pen = PenSpec{};
  state_.brush = BrushSpec{};
  FontSpec font;
  font.light = options_.print_bold;
  set_font(font);
}

void PrintInterpreter::set_font(const FontSpec& font) {
  if (font_selected_ && font == state_.font) return;
  state_.font = font;
  state_.metrics = device_.select_font(font);
  font_selected_ = true;
  state_.column_width = state_.metrics.average_width;
  state_.advance = state_.metrics.average_width;
  if (state_.metrics.fixed_pitch) {
    // The advance of a fixed-pitch font: the size (tenths of a point) / 1200 inch.
    const bool wide = (font.flags & (kFontDoubleWidth | kFontDoubleWidth2)) != 0;
    state_.advance =
        scale_rounded(std::int64_t{font.size_tenths} * (wide ? 2 : 1), geometry_.dpi_x, 1200);
  }
}

int PrintInterpreter::to_x(std::int64_t hundredths) const {
  return scale_rounded(hundredths, geometry_.dpi_x, 72000);
}

int PrintInterpreter::to_y(std::int64_t hundredths) const {
  return scale_rounded(hundredths, geometry_.dpi_y, 72000);
}

}  // namespace kovw::print
