#include "graphics/segment_store.h"

#include <algorithm>
#include <tuple>

namespace kovw::graphics {

SegmentRect normalised(int x1, int y1, int x2, int y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

std::size_t Segment::bytes_in_use() const {
  std::size_t total = 0;
  for (const SegmentChunk& chunk : chunks) total += chunk.bytes.size();
  return total;
}

namespace {

auto order_key(const SegmentRect& r) {
  return std::tie(r.y1, r.y2, r.x1, r.x2);
}

}  // namespace

Segment* SegmentStore::select(const SegmentRect& rect, bool empty) {
  Segment* found = nullptr;
  if (last_ < segments_.size() && segments_[last_].rect == rect) {
    found = &segments_[last_];
  } else {
    const auto at = std::lower_bound(
        segments_.begin(), segments_.end(), rect,
        [](const Segment& s, const SegmentRect& r) { return order_key(s.rect) < order_key(r); });
    if (at != segments_.end() && at->rect == rect) {
      found = &*at;
    } else {
      if (segments_.size() >= max_segments_) return nullptr;
      Segment segment;
      segment.rect = rect;
      found = &*segments_.insert(at, std::move(segment));
    }
    last_ = static_cast<std::size_t>(found - segments_.data());
  }
  if (empty)
    for (SegmentChunk& chunk : found->chunks) chunk.bytes.clear();
  found->next_chunk = 0;
  return found;
}

bool SegmentStore::store(Segment& segment, std::span<const std::uint8_t> bytes, int type) {
  segment.stream_type = type == 4 ? 4 : 3;
  if (segment.next_chunk < segment.chunks.size()) {
    SegmentChunk& chunk = segment.chunks[segment.next_chunk];
    if (chunk.capacity >= bytes.size()) {
      chunk.bytes.assign(bytes.begin(), bytes.end());
      ++segment.next_chunk;
      return true;
    }
    // Too small: this chunk and the ones after it are dropped.
    for (std::size_t i = segment.next_chunk; i < segment.chunks.size(); ++i)
      bytes_held_ -= segment.chunks[i].capacity;
    segment.chunks.resize(segment.next_chunk);
  }
  const std::size_t capacity = std::max(kChunkMinimum, bytes.size());
  if (capacity > max_bytes_ - std::min(max_bytes_, bytes_held_)) return false;
  SegmentChunk chunk;
  chunk.capacity = capacity;
  chunk.bytes.reserve(capacity);
  chunk.bytes.assign(bytes.begin(), bytes.end());
  segment.chunks.push_back(std::move(chunk));
  segment.next_chunk = segment.chunks.size();
  bytes_held_ += capacity;
  return true;
}

void SegmentStore::clear() {
  segments_.clear();
  last_ = 0;
  bytes_held_ = 0;
}

}  // namespace kovw::graphics
