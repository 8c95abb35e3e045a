#include "net/frame_memory.h"

#include <atomic>
#include <utility>

#include "foundation/allocator.h"
#include "foundation/log.h"

namespace kovw::net {

namespace {

std::atomic<std::size_t> g_in_use{0};
std::atomic<std::size_t> g_bound{kDefaultFrameMemoryBound};

constexpr std::size_t kLargeBlock = 256u << 10;

}  // namespace

std::uint8_t* frame_memory_take(std::size_t size) {
  const std::size_t bound = g_bound.load(std::memory_order_relaxed);
  std::size_t used = g_in_use.load(std::memory_order_relaxed);
  do {
    if (size > bound || used > bound - size) {
      foundation::log_printf(
          "link: frame buffers of all links would exceed %zu bytes (%zu in use, %zu asked), "
          "link closed",
          bound, used, size);
      return nullptr;
    }
  } while (!g_in_use.compare_exchange_weak(used, used + size, std::memory_order_relaxed));
  // Large blocks are mapped, so that their memory goes back to the system with them.
  auto* block =
      static_cast<std::uint8_t*>(size >= kLargeBlock ? HV_MALLOC_LARGE(size) : HV_MALLOC(size));
  if (block == nullptr) g_in_use.fetch_sub(size, std::memory_order_relaxed);
  return block;
}

void frame_memory_give(std::uint8_t* block, std::size_t size) {
  if (block == nullptr) return;
  if (size >= kLargeBlock)
    HV_FREE_LARGE(block, size);
  else
    HV_FREE(block);
  g_in_use.fetch_sub(size, std::memory_order_relaxed);
}

std::size_t frame_memory_in_use() {
  return g_in_use.load(std::memory_order_relaxed);
}

std::size_t frame_memory_bound() {
  return g_bound.load(std::memory_order_relaxed);
}

void set_frame_memory_bound(std::size_t bytes) {
  g_bound.store(bytes != 0 ? bytes : kDefaultFrameMemoryBound, std::memory_order_relaxed);
}

FrameBlock::FrameBlock(FrameBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)) {}

FrameBlock& FrameBlock::operator=(FrameBlock&& other) noexcept {
  if (this != &other) {
    reset();
    data_ = std::exchange(other.data_, nullptr);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

bool FrameBlock::reserve(std::size_t size) {
  if (data_ != nullptr && capacity_ >= size) return true;
  reset();
  data_ = frame_memory_take(size);
  if (data_ == nullptr) return false;
  capacity_ = size;
  return true;
}

void FrameBlock::reset() {
  frame_memory_give(data_, capacity_);
  data_ = nullptr;
  capacity_ = 0;
}

}  // namespace kovw::net
