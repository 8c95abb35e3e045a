#pragma once
// Graphics input: the events a graphics window collects for its host (clicks, keys, pointer
// records), the ring that keeps them while the host asks for none, the time-out of a request,
// and the answer "Send Data WM_GET".
//
// The ring holds at most 15 events: a sixteenth drops the oldest, and a pointer event (key 224)
// replaces a pointer event that is the newest entry, so that a moving pointer leaves one
// entry. A request takes the oldest event first.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace kovw::graphics {

// Event kinds.
inline constexpr int kInputTimeOut = 0;  // the request's time passed without an event
inline constexpr int kInputClick = 1;    // a mouse button; the key is the button code
inline constexpr int kInputKey = 2;      // a key; the key is its host key code
inline constexpr int kInputNone = 3;     // answered at once with nothing waiting
inline constexpr int kPointerKey = 224;

inline constexpr std::size_t kInputRingKept = 15;

struct InputEvent {
  int kind = kInputTimeOut;
  int key = 0;  // button code (1 left, 2 middle or both, 3 right) or host key code
  std::int32_t world_x = 0, world_y = 0;
  std::int32_t device_x = 0, device_y = 0;
  int modifiers = 0;  // 1 Shift, 2 Ctrl, 4 Alt
  std::int32_t window = 0;
  std::array<std::int32_t, 11> pointer{};  // the pointer record of key 224
  int value = 0;                           // the event's final value
};

class InputRing {
 public:
  void push(const InputEvent& event);
  std::optional<InputEvent> take();
  bool empty() const { return events_.empty(); }
  std::size_t size() const { return events_.size(); }
  void clear() { events_.clear(); }

 private:
  std::deque<InputEvent> events_;
};

// Request flags of KWK_GGET and KWK_GGETEX.
inline constexpr int kGetCancel = 0x10000;
inline constexpr int kGetAnswerAtOnce = 0x0040;
inline constexpr int kGetNoRepaint = 0x0100;
inline constexpr int kGetShowMarker = 0x0400;

// The time-out of a request in milliseconds: t x 800 for 0 < t <= 2499999, else none (0).
std::int64_t input_timeout_ms(std::int32_t t);

// The scroll position a graphics input reports.
struct InputScroll {
  int device_x = 0, device_y = 0;
  std::int32_t world_x = 0, world_y = 0;
};

// "Send Data WM_GET": kind, key, the event's four coordinates and its modifiers (16 bits), the
// scroll position (two 16-bit values, two integers), the window, the pointer record for key
// 224, a second 16-bit value and the final value.
std::vector<std::uint8_t> build_input_answer(const InputEvent& event, const InputScroll& scroll);

}  // namespace kovw::graphics
