#pragma once
// Sending and receiving whole frames: with a link's own state (net::Link uses these), and the
// forms with the calling thread's LinkState for code that keeps one link per thread (the
// demonstration host, tests, benchmarks).

#include <cstdint>
#include <span>

#include "net/frame_memory.h"
#include "net/frame_reader.h"
#include "net/link_message.h"
#include "net/link_state.h"

namespace kovw::net {

// Flags of link_receive.
inline constexpr int kSkipKeepAlive = 1;    // skip keep-alive frames
inline constexpr int kReturnKeepAlive = 2;  // return 2 when a keep-alive frame arrives

// Builds one frame in `work_buffer` with the options of `state` (counting it and tracing it as
// sent); the view stays valid until the buffer is used again. Empty when the work buffer could
// not be had or the message is invalid.
std::span<const std::uint8_t> link_build_frame(LinkState& state, FrameBlock& work_buffer,
                                               const LinkMessage& message, const void* payload);
// Gives back a work buffer that a large frame made large.
void link_trim_work_buffer(FrameBlock& work_buffer);

// Builds the frame and sends it on `socket` with one send and the state's net time-out. Results
// as link_send below.
int link_send(int socket, LinkState& state, FrameBlock& work_buffer, const LinkMessage& message,
              const void* payload);

// Receives one frame on `reader` with the state's net time-out: resets the reader, steps until
// the frame is complete, handles keep-alives by `flags` (a keep-alive is recognised before it is
// decoded, whatever its flag bits), decodes the frame and fills `message`. Results as
// link_receive below.
int link_receive(LinkState& state, LinkMessage& message, FrameReader& reader, int flags);

// Sends one frame: service, type, tail and length from `message`, the payload at `payload`
// (may be null when the length is 0). Compresses and encrypts as the thread's LinkState says
// and sends the frame with one send and the thread's net time-out. Returns the bytes sent (24,
// or 24 plus the transmitted payload length), -1 when a work buffer could not be had or the
// message is invalid, otherwise the send's negative result (-40, -1).
int link_send(int socket, const LinkMessage& message, const void* payload);

// Builds the frame link_send sends (counting it and tracing it as sent) in the calling thread's
// work buffer; the view stays valid until the thread's next link_send or link_build_frame.
// Empty when the work buffer could not be had or the message is invalid.
std::span<const std::uint8_t> link_build_frame(const LinkMessage& message, const void* payload);

// Receives one frame with the thread's net time-out: resets the reader, steps until the frame is
// complete, handles keep-alives by `flags`, decodes the frame and fills `message`. Returns 1 (the
// payload is in the reader's buffer), 2 for a keep-alive under kReturnKeepAlive, 0 when the peer
// closed, or a negative result (-1, -41, -99, kLinkMalformed).
int link_receive(int socket, LinkMessage& message, FrameReader& reader, int flags);

// After a frame was finished: applies the byte-order announcement of a service 0 type 1 frame
// and fills `message` from the reader.
void link_take_message(FrameReader& reader, LinkMessage& message);

}  // namespace kovw::net
