#pragma once
// Graphics on paper: the mapping of a window's world onto a printer page. The renderer draws
// on the printer as on a window's bitmap; only the mapping differs.

#include <QPrinter>

#include "graphics/world_mapping.h"

namespace kovw::graphics {

// With `metric` a world unit is 1/100 mm at the printer's resolution, and world (0, 0) is the
// paper's top-left corner (y grows upwards, so the page lies at negative y); otherwise the
// printable area is fitted like a window's drawing area (`keep_aspect` as there).
WorldMapping page_mapping(const QPrinter& printer, std::int32_t world_width,
                          std::int32_t world_height, bool metric, bool keep_aspect);

}  // namespace kovw::graphics
