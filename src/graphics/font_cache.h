#pragma once
// The fonts a program window has made, up to 30, looked up before any font is made. The key
// is the device font itself (face, em height in pixels, attribute), so that two requests
// that come out the same share one font. When all slots are taken the next slot in turn is
// reused: the 31st font replaces slot 0, the 32nd slot 1.

#include <QFont>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "graphics/font_metrics.h"

namespace kovw::graphics {

inline constexpr int kFontCacheSlots = 30;

struct FontKey {
  std::string face;  // as requested (host text)
  int pixels = 0;    // em height in device pixels
  int attribute = 0;
  friend bool operator==(const FontKey&, const FontKey&) = default;
};

struct CachedFont {
  FontKey key;
  int number = 0;
  int tenths = 0;
  unsigned long handle = 0;  // a number of its own for the log
  QFont font;
  QString family;         // the family the system draws with
  std::string face_name;  // the face as the host sees it: its own name when it was found or
                          // stands in with the same metrics, else the family used (host text)
  FontMetrics metrics;
};

class FontCache {
 public:
  // The font under `key`, or nothing. A font stays valid for its holders after it left the
  // cache.
  std::shared_ptr<CachedFont> find(const FontKey& key) const;
  // Stores `font` in a free slot or the next one in turn; returns the slot it took and sets
  // `replaced` to the handle of the font it replaced (0 when the slot was free).
  int store(std::shared_ptr<CachedFont> font, unsigned long& replaced);
  std::shared_ptr<CachedFont> slot(int index) const;
  int size() const { return count_; }
  // Forgets every font (the font names changed).
  void clear();

 private:
  std::array<std::shared_ptr<CachedFont>, kFontCacheSlots> slots_;
  int count_ = 0;
  int next_ = 0;  // the slot reused when all are taken
};

}  // namespace kovw::graphics
