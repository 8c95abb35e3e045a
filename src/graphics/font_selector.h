#pragma once
// Selecting the current font of a graphics window: the font request is turned into a device
// font (font_choice.h), looked up in the window's cache, made and measured when it is new, and
// becomes the current font. Problems are shown to the user as catalogue messages, or only
// logged when the selection comes from the stream's DB_FONT or a font information request.

#include <memory>

#include "graphics/font_cache.h"
#include "graphics/font_choice.h"

class QPaintDevice;

namespace kovw::graphics {

// Result of a selection without any font.
inline constexpr int kNoFont = 9;

enum class FontOrigin {
  Drawing,      // texts and elements: messages are shown
  StreamOrInfo  // DB_FONT or a font information request: messages are only logged
};

class FontSelector {
 public:
  // Fonts are measured as drawn on `device` (nullptr: an image at the screen's resolution).
  explicit FontSelector(const QPaintDevice* device = nullptr) : device_(device) {}

  // Selects the font of `request`; returns 0, or kNoFont when the request names no font (font
  // numbers 20-97 and above 99) or no font can be made at all. `wide_widths` also measures the
  // widths of every character. `trace` logs every selection (the window's font trace).
  int select(const FontRequest& request, const FontWindowFacts& facts, const FontNameTable& names,
             FontOrigin origin, bool wide_widths = false, bool trace = false);

  // The current font, nothing before the first successful selection.
  const std::shared_ptr<CachedFont>& current() const { return current_; }
  FontCache& cache() { return cache_; }
  // Forgets the fonts made (the font names changed); the current font stays until the next
  // selection.
  void forget_fonts() { cache_.clear(); }

 private:
  std::shared_ptr<CachedFont> make_font(const FontChoice& choice, int pixels, FontOrigin origin,
                                        bool trace);

  const QPaintDevice* device_;
  FontCache cache_;
  std::shared_ptr<CachedFont> current_;
  unsigned long next_handle_ = 1;
};

}  // namespace kovw::graphics
