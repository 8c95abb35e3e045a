#include "graphics/graphics_input.h"

#include "protocol/payload_codec.h"

namespace kovw::graphics {

void InputRing::push(const InputEvent& event) {
  if (event.key == kPointerKey && !events_.empty() && events_.back().key == kPointerKey) {
    events_.back() = event;
    return;
  }
  if (events_.size() >= kInputRingKept) events_.pop_front();
  events_.push_back(event);
}

std::optional<InputEvent> InputRing::take() {
  if (events_.empty()) return std::nullopt;
  InputEvent event = events_.front();
  events_.pop_front();
  return event;
}

std::int64_t input_timeout_ms(std::int32_t t) {
  return (t > 0 && t <= 2499999) ? std::int64_t{t} * 800 : 0;
}

std::vector<std::uint8_t> build_input_answer(const InputEvent& e, const InputScroll& scroll) {
  std::vector<std::uint8_t> payload;
  protocol::PayloadWriter out(payload);
  out.int_field(e.kind).int_field(e.key);
  out.int_field(e.world_x).int_field(e.world_y).int_field(e.device_x).int_field(e.device_y);
  out.int_field(e.modifiers, 2);
  out.int_field(scroll.device_x, 2).int_field(scroll.device_y, 2);
  out.int_field(scroll.world_x).int_field(scroll.world_y);
  out.int_field(e.window);
  if (e.kind == kPointerKey || e.key == kPointerKey)
    for (const std::int32_t v : e.pointer) out.int_field(v);
  out.int_field(0, 2);
  out.int_field(e.value);
  return payload;
}

}  // namespace kovw::graphics
