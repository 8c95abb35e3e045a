// The field readers over arbitrary payloads, in an order the input chooses.
#include <array>
#include <cstddef>
#include <cstdint>

#include "net/byte_order.h"
#include "net/fields.h"

using namespace kovw::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RecordRun runs[] = {{0, 2, 1, 0}, {2, 4, 3, 6}, {30, 8, 1, 0}};
  static const RecordLayout layouts[] = {{1, 40, runs}, {2, 8, runs}};
  static const bool installed = (set_record_layouts(layouts), true);
  (void)installed;
  if (size < 1) return 0;
  set_byte_order_mode(data[0] & 0x80 ? 2 : 0);
  FieldCursor at(data + 1, size - 1);
  std::array<std::uint8_t, 64> target{};
  unsigned selector = data[0];
  while (!at.failed && !at.at_end()) {
    const std::uint8_t* before = at.position;
    std::size_t field_size = 0;
    switch (selector++ % 4) {
      case 0:
        get_int_field(at, &field_size);
        break;
      case 1:
        get_bytes_field(at, target, &field_size);
        break;
      case 2:
        get_bytes_view(at, &field_size);
        break;
      default: {
        std::size_t copied = 0;
        if (get_tagged_field(at, target, &copied, selector & 3) < 0 && !at.failed) {
          get_bytes_view(at);  // skip it as a plain field
        }
      }
    }
    if (!at.failed && at.position == before) break;
  }
  set_byte_order_mode(0);
  return 0;
}
