#pragma once
// Results and places in the returned window record that the graphics window's definition and
// its element operations share.

#include <cstddef>

#include "graphics/graphics_definition.h"
#include "graphics/graphics_input.h"

namespace kovw::session::graphics_places {

inline constexpr int kUnknownOperation = 4;
inline constexpr int kNoPictureMemory = 219;
// A drawing area larger than this either way is refused (its picture would not fit in memory).
inline constexpr int kDeviceSizeMax = 16384;
// Where the answer of an element input (operation 17) puts the event in the returned record:
// kind and key (16 bits each), then the world position (32 bits each).
inline constexpr std::size_t kInputKindAt = 80;
inline constexpr std::size_t kInputKeyAt = 82;
inline constexpr std::size_t kInputXAt = 84;
inline constexpr std::size_t kInputYAt = 88;
// Operation 28 reports whether the window could not move the whole step.
inline constexpr std::size_t kScrollShortAt = 70;

inline void put_input_event(graphics::WindowRecord& record, const graphics::InputEvent& event) {
  record.set16(kInputKindAt, event.kind);
  record.set16(kInputKeyAt, event.key);
  record.set32(kInputXAt, event.world_x);
  record.set32(kInputYAt, event.world_y);
}

}  // namespace kovw::session::graphics_places
