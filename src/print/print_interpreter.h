#pragma once
// The interpreter of the workstation's print language (data format "kovwp"): a byte stream of
// text and control characters with escape sequences for fonts, positions in decipoints
// (1/720 inch), margins, lines, rectangles, arcs, paths, fill patterns, colours, raster
// bitmaps, page settings and page overlays. It draws on a PrintDevice one page after another.
//
// Pages: a job starts with a new page pending; the first drawing starts the document and the
// page, so a stream that ends after a page end leaves no blank page behind. Every page end
// (form feed, duplex command 3, a line feed past the bottom) puts the position back to the
// margin origin. Overlays are played at the start of each page and never start or end a page
// themselves, so they cannot recurse.
//
// Tab stops lie every eight columns (column width, command I or the font) from the left
// margin; without a column width, every half inch. Both are physical distances, so a tab
// moves as far on a 300-dpi printer as on a 1200-dpi one.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "print/print_device.h"
#include "print/print_errors.h"
#include "print/print_state.h"
#include "print/raster_bitmap.h"

namespace kovw::print {

struct PrintOptions {
  bool print_bold = false;  // the setting "Print Bold": fonts without bold are light
};

struct InterpretResult {
  bool failed = false;   // a device error ended the interpretation
  int message = 0;       // its message number
  int system_error = 0;  // and system error
  int first_error = 0;   // the first message reported, fatal or not (0: none)
  int pages = 0;         // pages started
  bool cancelled = false;
};

inline constexpr int kOverlaySlots = 2;
inline constexpr std::size_t kTextBufferSize = 254;

class PrintInterpreter {
 public:
  PrintInterpreter(PrintDevice& device, PrintOptions options, PrintErrorSink* errors = nullptr,
                   const std::atomic<bool>* cancel = nullptr);

  // Interprets a whole job: resets the state as command E does, reads the stream to its end
  // (or a device error, or the cancel flag), ends the last page when something was drawn on
  // it and ends the document (aborts it when cancelled or failed).
  InterpretResult run(std::span<const std::uint8_t> stream);

  const DrawState& state() const { return state_; }
  const PageSettings& page_settings() const { return settings_; }

 private:
  void interpret(ByteCursor& in);
  bool stopped() const;
  void add_text(std::uint8_t byte);
  void flush_text();
  void line_feed();
  void form_feed();
  void tab();
  void escape(ByteCursor& in);

  // Commands (print_commands.cpp).
  void command(const EscapeSequence& s, ByteCursor& in);
  void font_command(const EscapeSequence& s);
  void margins_command(const EscapeSequence& s, bool in_decipoints);
  void paper_command(const EscapeSequence& s);
  void bitmap_start(const EscapeSequence& s);
  void bitmap_data(const EscapeSequence& s, ByteCursor& in);
  void bitmap_compression(const EscapeSequence& s);
  void overlay_command(const EscapeSequence& s, ByteCursor& in);
  void arc_command(const EscapeSequence& s);
  void line_command(const EscapeSequence& s);
  void rectangle_command(const EscapeSequence& s);
  void path_command(const EscapeSequence& s);
  void pen_command(const EscapeSequence& s);

  // Pages.
  bool ensure_page();
  bool start_page();
  void end_page();
  void play_overlay(int slot);
  void fail(int message, int system_error, int location);
  void report(int message, int system_error, int location, const std::string& text);
  void refuse_zero_divisor(char command);

  // State.
  void reset();
  void set_font(const FontSpec& font);
  void default_drawing_state();
  int to_x(std::int64_t hundredths_of_decipoints) const;
  int to_y(std::int64_t hundredths_of_decipoints) const;
  int page_x(int x) const { return state_.left + x; }
  int page_y(int y) const { return state_.top + y; }

  PrintDevice& device_;
  PrintOptions options_;
  PrintErrorSink* errors_;
  const std::atomic<bool>* cancel_;

  DrawState state_;
  PageSettings settings_;
  PageGeometry geometry_;
  std::string text_;  // bytes not yet drawn
  std::u16string wide_;

  bool font_selected_ = false;
  bool page_pending_ = true;
  bool document_started_ = false;
  bool cancelled_ = false;
  int overlay_active_ = -1;
  bool playing_overlay_ = false;
  struct OverlaySlot {
    std::vector<std::uint8_t> data;
    std::size_t write_position = 0;
  };
  std::array<OverlaySlot, kOverlaySlots> overlays_;
  RasterBitmap bitmap_;
  InterpretResult result_;
};

// One job on `device`: PrintInterpreter(device, options, errors, cancel).run(stream).
InterpretResult interpret_print_stream(PrintDevice& device, std::span<const std::uint8_t> stream,
                                       const PrintOptions& options, PrintErrorSink* errors,
                                       const std::atomic<bool>* cancel = nullptr);

}  // namespace kovw::print
