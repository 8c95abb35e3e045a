#pragma once
// The recorded commands of a segmented graphics window: a window whose drawing area is larger
// than what is shown keeps the host's commands per rectangular segment and replays the
// segments that reach into the view when it is painted.
//
// Segments are kept ordered by y1, then y2, x1, x2. A segment holds its commands in chunks. A
// segment that is recorded again overwrites its chunks in order, each one whose capacity
// suffices, so that redrawing the same segment allocates nothing; the first chunk that is too
// small is dropped with every chunk after it, and a new one is appended. The store refuses to
// grow past a number of segments and of bytes, so that a host cannot take all memory.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kovw::graphics {

struct SegmentRect {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // device pixels, x1 <= x2 and y1 <= y2
  friend bool operator==(const SegmentRect&, const SegmentRect&) = default;
};

// A segment's rectangle from two corners in any order.
SegmentRect normalised(int x1, int y1, int x2, int y2);

struct SegmentChunk {
  std::size_t capacity = 0;  // at least kChunkMinimum
  std::vector<std::uint8_t> bytes;
};

struct Segment {
  SegmentRect rect;
  int stream_type = 3;  // the type the commands were recorded with (3 or 4)
  std::vector<SegmentChunk> chunks;
  std::size_t next_chunk = 0;  // where the next recording goes while the segment is rewritten
  std::size_t bytes_in_use() const;
};

inline constexpr std::size_t kChunkMinimum = 256;
inline constexpr std::size_t kSegmentCountMax = 20000;
inline constexpr std::size_t kSegmentBytesMax = 64u << 20;

class SegmentStore {
 public:
  explicit SegmentStore(std::size_t max_segments = kSegmentCountMax,
                        std::size_t max_bytes = kSegmentBytesMax)
      : max_segments_(max_segments), max_bytes_(max_bytes) {}

  // The segment with exactly `rect`, made at its place when there is none; `empty` gives all
  // its chunks length 0. Recording then starts at its first chunk. Null when the segment count
  // is at its limit.
  Segment* select(const SegmentRect& rect, bool empty);
  // Stores `bytes` recorded with stream type `type` into `segment`. False when the byte limit
  // would be passed (nothing is stored then).
  bool store(Segment& segment, std::span<const std::uint8_t> bytes, int type);

  // Drops every segment.
  void clear();
  const std::vector<Segment>& segments() const { return segments_; }
  std::size_t bytes_held() const { return bytes_held_; }
  std::size_t bytes_limit() const { return max_bytes_; }

 private:
  std::vector<Segment> segments_;
  std::size_t last_ = 0;        // the segment matched last, tried first
  std::size_t bytes_held_ = 0;  // capacity of all chunks
  std::size_t max_segments_;
  std::size_t max_bytes_;
};

}  // namespace kovw::graphics
