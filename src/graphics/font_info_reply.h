#pragma once
// The font information reply ("Send Font Info", KWK_GFONT and type 18 of the graphics service)
// built from a measured font: heights and widths in device units as measured, and in world
// units through the window's x scale; the two 256-entry width tables as 16-bit little-endian
// numbers; and the run-length coded table of all 65,536 character widths.

#include <cstdint>
#include <string>

#include "graphics/font_metrics.h"
#include "graphics/world_mapping.h"
#include "protocol/program/window_service.h"

namespace kovw::graphics {

// A device value in world units: value x denominator / numerator of the x scale, rounded.
std::int32_t device_to_world(std::int64_t value, const WorldMapping& mapping);

// The reply's contents. `face` is the face name as the host sees it (host text). The glyph
// table is filled when `metrics` carries the wide widths.
protocol::FontInfo font_info_reply(const FontMetrics& metrics, const std::string& face,
                                   const WorldMapping& mapping);

// The 16-bit little-endian table of `widths` (each held to 0-65535).
std::vector<std::uint8_t> width_table_bytes(std::span<const std::int32_t> widths);

}  // namespace kovw::graphics
