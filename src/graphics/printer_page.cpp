#include "graphics/printer_page.h"

namespace kovw::graphics {

WorldMapping page_mapping(const QPrinter& printer, std::int32_t world_width,
                          std::int32_t world_height, bool metric, bool keep_aspect) {
  const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
  if (metric) {
    // The painter's origin is the printable area's corner; the paper's corner lies before it.
    return metric_page_mapping(world_width, world_height, printer.logicalDpiX(),
                               printer.logicalDpiY(), -printable.left(), -printable.top());
  }
  return fit_world(world_width, world_height, printable.width(), printable.height(), keep_aspect);
}

}  // namespace kovw::graphics
