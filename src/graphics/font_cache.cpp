#include "graphics/font_cache.h"

namespace kovw::graphics {

std::shared_ptr<CachedFont> FontCache::find(const FontKey& key) const {
  for (int i = 0; i < count_; ++i) {
    const auto& font = slots_[static_cast<std::size_t>(i)];
    if (font->key == key) return font;
  }
  return nullptr;
}

int FontCache::store(std::shared_ptr<CachedFont> font, unsigned long& replaced) {
  replaced = 0;
  int index;
  if (count_ < kFontCacheSlots) {
    index = count_++;
  } else {
    index = next_;
    next_ = (next_ + 1) % kFontCacheSlots;
    replaced = slots_[static_cast<std::size_t>(index)]->handle;
  }
  slots_[static_cast<std::size_t>(index)] = std::move(font);
  return index;
}

std::shared_ptr<CachedFont> FontCache::slot(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  return slots_[static_cast<std::size_t>(index)];
}

void FontCache::clear() {
  for (auto& s : slots_) s.reset();
  count_ = 0;
  next_ = 0;
}

}  // namespace kovw::graphics
