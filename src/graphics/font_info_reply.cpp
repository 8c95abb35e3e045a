#include "graphics/font_info_reply.h"

#include <algorithm>
#include <array>

#include <climits>
#include "graphics/width_table_code.h"

namespace kovw::graphics {

namespace {

constexpr std::size_t kWidthUnit = 2;

}  // namespace

std::int32_t device_to_world(std::int64_t value, const WorldMapping& mapping) {
  const std::int64_t num = mapping.x_numerator > 0 ? mapping.x_numerator : 1;
  const std::int64_t den = mapping.x_denominator > 0 ? mapping.x_denominator : 1;
  const std::int64_t scaled = value * den;
  const std::int64_t rounded =
      scaled >= 0 ? (2 * scaled + num) / (2 * num) : -((-2 * scaled + num) / (2 * num));
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(rounded, INT32_MIN, INT32_MAX));
}

std::vector<std::uint8_t> width_table_bytes(std::span<const std::int32_t> widths) {
  std::vector<std::uint8_t> out;
  out.reserve(widths.size() * kWidthUnit);
  for (const std::int32_t w : widths) {
    const auto v = static_cast<std::uint16_t>(std::clamp(w, 0, 0xFFFF));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  return out;
}

protocol::FontInfo font_info_reply(const FontMetrics& metrics, const std::string& face,
                                   const WorldMapping& mapping) {
  protocol::FontInfo info;
  info.metrics = {device_to_world(metrics.height, mapping),
                  device_to_world(metrics.average_width, mapping),
                  device_to_world(metrics.descent, mapping),
                  metrics.height,
                  metrics.average_width,
                  metrics.descent};
  info.name = face;
  for (std::size_t i = 0; i < metrics.character_widths.size(); ++i) {
    info.device_widths[i] = metrics.character_widths[i];
    info.world_widths[i] = device_to_world(metrics.character_widths[i], mapping);
  }
  std::array<std::int32_t, 256> world{};
  for (std::size_t i = 0; i < world.size(); ++i)
    world[i] = device_to_world(metrics.byte_widths[i], mapping);
  info.world_table = width_table_bytes(world);
  info.device_table = width_table_bytes(metrics.byte_widths);
  if (!metrics.wide_widths.empty())
    info.glyph_table = encode_width_table(width_table_bytes(metrics.wide_widths), kWidthUnit);
  return info;
}

}  // namespace kovw::graphics
