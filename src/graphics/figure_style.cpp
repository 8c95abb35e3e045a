#include "graphics/figure_style.h"

namespace kovw::graphics {

Argb colour_record_argb(std::int32_t device_colour, int red, int green, int blue,
                        std::uint16_t flags) {
  if (flags & 0x0001) {
    return 0xFF000000u | (static_cast<Argb>(red & 0xFF) << 16) |
           (static_cast<Argb>(green & 0xFF) << 8) | static_cast<Argb>(blue & 0xFF);
  }
  const auto d = static_cast<std::uint32_t>(device_colour);
  return 0xFF000000u | ((d & 0xFF) << 16) | (d & 0xFF00) | ((d >> 16) & 0xFF);
}

}  // namespace kovw::graphics
