#pragma once
// The heap memory of link frames: the receive buffers of every frame reader and the work
// buffers that build frames come from here. All links together may hold at most a bound of
// bytes for frames in flight, so that peers that announce large frames cannot take the
// process's memory; a reservation above the bound fails and the link asking for it is closed.
// The blocks go through the workstation's allocator (foundation/allocator.h), whose debug modes
// see them.

#include <cstddef>
#include <cstdint>

namespace kovw::net {

// The bound when none is set: room for a few of the largest frames at once.
inline constexpr std::size_t kDefaultFrameMemoryBound = 512u << 20;

// Takes `size` bytes. Null when the bound would be passed (logged once per refusal) or the
// allocation failed.
std::uint8_t* frame_memory_take(std::size_t size);
// Gives back a block of `size` bytes from frame_memory_take (null is ignored).
void frame_memory_give(std::uint8_t* block, std::size_t size);

// Bytes all links hold now.
std::size_t frame_memory_in_use();
std::size_t frame_memory_bound();
// Sets the bound (0: the default).
void set_frame_memory_bound(std::size_t bytes);

// An owned block from frame_memory_take.
class FrameBlock {
 public:
  FrameBlock() = default;
  ~FrameBlock() { reset(); }
  FrameBlock(FrameBlock&& other) noexcept;
  FrameBlock& operator=(FrameBlock&& other) noexcept;
  FrameBlock(const FrameBlock&) = delete;
  FrameBlock& operator=(const FrameBlock&) = delete;

  // Makes the block hold at least `size` bytes (the old contents are not kept). False when the
  // memory could not be had; the block is empty then.
  bool reserve(std::size_t size);
  void reset();
  std::uint8_t* data() const { return data_; }
  std::size_t capacity() const { return capacity_; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t capacity_ = 0;
};

}  // namespace kovw::net
