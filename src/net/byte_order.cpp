#include "net/byte_order.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace kovw::net {

namespace {

std::atomic<int> g_byte_order_mode{0};

std::atomic<const RecordLayout*> g_layouts{nullptr};
std::atomic<std::size_t> g_layout_count{0};

const RecordLayout* find_layout(int tag) {
  const RecordLayout* layouts = g_layouts.load(std::memory_order_acquire);
  const std::size_t count = g_layout_count.load(std::memory_order_acquire);
  if (layouts == nullptr) return nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    if (layouts[i].tag == tag) return &layouts[i];
  }
  return nullptr;
}

}  // namespace

int byte_order_mode() {
  return g_byte_order_mode.load(std::memory_order_relaxed);
}
void set_byte_order_mode(int mode) {
  g_byte_order_mode.store(mode, std::memory_order_relaxed);
}

void set_record_layouts(std::span<const RecordLayout> layouts) {
  g_layouts.store(nullptr, std::memory_order_release);
  g_layout_count.store(layouts.size(), std::memory_order_release);
  g_layouts.store(layouts.data(), std::memory_order_release);
}

void copy_tagged_record(int tag, const std::uint8_t* source, std::uint8_t* target,
                        std::size_t length) {
  if (length == 0) return;
  if (source != target) std::memmove(target, source, length);
  if (byte_order_mode() != 2) return;
  const RecordLayout* layout = find_layout(tag & 0x3fff);
  if (layout == nullptr) return;
  for (const RecordRun& run : layout->runs) {
    if (run.width != 2 && run.width != 4 && run.width != 8) continue;
    for (std::uint32_t k = 0; k < std::max<std::uint32_t>(run.count, 1); ++k) {
      const std::size_t offset = run.offset + static_cast<std::size_t>(k) * run.stride;
      if (offset + run.width > length) break;
      std::reverse(target + offset, target + offset + run.width);
      if (run.stride == 0) break;
    }
  }
}

}  // namespace kovw::net
