// The graphics command stream: arbitrary messages of every type, for old and new host
// libraries, interpreted into a segmented window with a null drawing interface; every segment
// recorded is replayed. Nothing may read past a message or a segment, and replay must stay
// inside what was stored.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/stream_interpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  using namespace kovw::graphics;
  static constexpr std::array<int, 3> kTypes{kStreamData, kStreamRepeat, kStreamWithLengths};
  static constexpr std::array<std::int32_t, 4> kVersions{0x020400, 0x040000, 0x041307, 0x060D05};
  NullDrawingOperations operations;
  StreamInterpreter interpreter(operations);
  StreamWindow& window = interpreter.add_window(0);
  window.mapping = fit_world(4000, 4000, 400, 400, false);
  window.virtual_y = true;
  window.visible_width = 400;
  window.visible_height = 100;
  window.segments = SegmentStore(64, 1 << 16);
  interpreter.add_window(1);
  StreamContext context;
  context.library_version = kVersions[data[0] % kVersions.size()];
  context.printing = data[0] & 0x10;
  // The rest is one or more messages, split at each 0xFE 0xFE pair, with the type from the
  // second byte.
  const int type = kTypes[data[1] % kTypes.size()];
  std::span<const std::uint8_t> rest(data + 2, size - 2);
  while (!rest.empty()) {
    std::size_t cut = 0;
    while (cut + 1 < rest.size() && !(rest[cut] == 0xFE && rest[cut + 1] == 0xFE)) ++cut;
    if (cut + 1 >= rest.size()) cut = rest.size();
    interpreter.interpret(rest.first(cut), type, context);
    rest = rest.subspan(std::min(rest.size(), cut + 2));
  }
  for (const auto& w : interpreter.windows())
    for (const Segment& segment : w->segments.segments()) interpreter.replay(*w, segment, context);
  return 0;
}
