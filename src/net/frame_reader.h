#pragma once
// The per-link receive context: collects one frame's header and payload from the socket in
// steps, then decrypts and decompresses it in place. Its two built-in buffers serve payloads up
// to 2048 bytes; larger payloads use heap buffers of at least 32768 bytes (frame_memory.h). Heap
// buffers up to 64 KiB are kept from frame to frame, so a stream of ordinary frames does not
// allocate per frame; larger ones are given back when the next frame starts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "net/link_message.h"
#include "net/link_state.h"

namespace kovw::net {

inline constexpr std::size_t kBuiltInBuffer = 2048;
inline constexpr std::size_t kMinHeapBuffer = 32768;
// A link keeps heap buffers up to this size from frame to frame, so that a stream of large
// frames (pictures, file data) does not take and return memory for every frame; larger ones
// (a rare huge frame, a peer announcing one) are given back when the next frame starts.
inline constexpr std::size_t kKeptHeapBuffer = 1u << 20;

// Reader states.
inline constexpr int kFrameNew = 0;
inline constexpr int kFrameInProgress = 1;
inline constexpr int kFrameComplete = 2;

struct FrameReader {
  int socket = -1;
  int state = kFrameNew;
  std::array<std::uint8_t, kFrameHeaderSize> header{};
  std::size_t header_count = 0;
  std::uint8_t* payload = nullptr;  // the buffer in use
  std::uint8_t* spare = nullptr;    // the second buffer (decompression target)
  std::size_t payload_count = 0;
  std::size_t payload_capacity = 0;
  std::size_t spare_capacity = 0;
  std::size_t payload_length = 0;  // from the header; after frame_finish the final length
  alignas(16) std::uint8_t built_in[2][kBuiltInBuffer];

  FrameReader() = default;
  explicit FrameReader(int socket_) : socket(socket_) {}
  ~FrameReader();
  FrameReader(const FrameReader&) = delete;
  FrameReader& operator=(const FrameReader&) = delete;

  std::span<const std::uint8_t> payload_view() const { return {payload, payload_length}; }
};

// Makes sure the payload buffer holds at least `length` bytes (at most 2048: the built-in buffer
// not used as spare; more: the heap, max(length, 32768)). Returns 0, or -1 when the allocation
// fails.
int frame_reserve(FrameReader& reader, std::size_t length);

// Releases the heap buffers (never the built-in ones); both buffers become absent.
void frame_release(FrameReader& reader);

// Starts a new frame on `socket` (state 0, payload length 0); heap buffers above
// kKeptHeapBuffer are given back.
void frame_reset(FrameReader& reader, int socket);

// True while a frame has begun (bytes of it arrived) and is not complete.
bool frame_started(const FrameReader& reader);

// The place where the next received bytes of the frame go (at most the missing header bytes or
// the missing payload bytes); empty when the frame is complete or a growing payload buffer
// could not be allocated. Moves a new reader into progress. Payloads above 1 MiB are received
// into a buffer that grows as their bytes arrive.
std::span<std::uint8_t> frame_receive_space(FrameReader& reader);

// Accounts for `count` bytes (1 or more) that were written to the front of the receive space.
// A complete header sets the link's header level when it tracks levels. Returns 1 (frame not
// complete), 2 (complete), -1 (payload buffer allocation failed) or kLinkMalformed (announced
// length above the cap).
int frame_accept(FrameReader& reader, std::size_t count, LinkState& link);

// Feeds bytes from memory: takes as many as belong to the current frame and stores the step's
// result (1, 2 or negative) in `result`. Returns the number of bytes taken.
std::size_t frame_feed(FrameReader& reader, const std::uint8_t* data, std::size_t length,
                       int* result, LinkState& link);

// One receive on the reader's socket (at most the missing bytes, waiting at most wait_ms; 0
// waits without limit). Returns 1 not complete, 2 complete, 0 peer closed, -1 allocation
// failure, kLinkMalformed, or the receive's negative result (-41, -99). A complete reader
// returns 1 without receiving.
int frame_receive_step(FrameReader& reader, int wait_ms, LinkState& link);

// True when the complete frame in the reader is a keep-alive (service 15, type 254, no
// payload), whatever its flag bits say.
bool frame_is_keep_alive(const FrameReader& reader);

// After a complete frame: decrypts and decompresses the payload in place, lets the link's
// sending encryption follow the frame, clears the kind flags and rewrites the length in classic
// form. Returns 0, -1 when a buffer could not be allocated, or kLinkMalformed for a frame that
// cannot be decoded (logged; last socket error kErrorInvalidData).
int frame_finish(FrameReader& reader, LinkState& link);

// The same with the calling thread's link state (link_state()), for code that keeps one link
// per thread (the demonstration host, tests).
int frame_accept(FrameReader& reader, std::size_t count);
std::size_t frame_feed(FrameReader& reader, const std::uint8_t* data, std::size_t length,
                       int* result);
int frame_receive_step(FrameReader& reader, int wait_ms);
int frame_finish(FrameReader& reader);

}  // namespace kovw::net
