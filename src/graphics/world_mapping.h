#pragma once
// The mapping of a graphics window's world coordinates (y growing upwards) to device pixels.
// Scales are kept as reduced integer fractions, so that the integer form of a mapped point is
// exact: the rounding (half the denominator, with the sign of the numerator) is added before a
// division that truncates toward zero. Figures use the floating form, which keeps fractions.
//
// The mapping never becomes a scaling transform of the painter: that would also scale pen
// widths, fonts and hatch patterns, which are given in device pixels.

#include <cstdint>

namespace kovw::graphics {

struct DevicePoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

struct DevicePointF {
  double x = 0;
  double y = 0;
};

struct WorldMapping {
  std::int32_t world_width = 1, world_height = 1;
  std::int32_t device_width = 1, device_height = 1;
  std::int64_t x_numerator = 1, x_denominator = 1;
  std::int64_t y_numerator = -1, y_denominator = 1;
  std::int64_t x_rounding = 0, y_rounding = 0;
  std::int32_t x_offset = 0, y_offset = 0;
  std::int32_t scroll_x = 0, scroll_y = 0;  // negated scroll position while a segment is replayed
  std::int32_t shift_x = 0, shift_y = 0;    // world shift added before mapping
  bool absolute = false;  // printing or device units: no offsets, shifts or scroll

  // Integer form (rectangles of tooltips and segments).
  DevicePoint map(std::int32_t x, std::int32_t y) const;
  // Floating form (figures).
  DevicePointF map_f(double x, double y) const;
  // A length along x (radii, text lengths, module widths), integer and floating.
  int map_length_x(std::int32_t length) const;
  double map_length_x_f(double length) const;
  // A length along y as a positive number of pixels.
  double map_length_y_f(double length) const;
  // Device x per world x.
  double x_scale() const { return static_cast<double>(x_numerator) / x_denominator; }
};

// The largest extent that keeps `world_width` : `world_height` and fits into the area.
struct DeviceSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const DeviceSize&, const DeviceSize&) = default;
};
DeviceSize fitted_extent(std::int32_t world_width, std::int32_t world_height, int area_width,
                         int area_height);

// Fits a world (0 counts as 1) to a device area of `device_width` x `device_height`: the same
// scale both ways, taken from the widths; y upwards from the bottom row. With `keep_aspect` the
// device extent is first reduced to the fitted extent.
WorldMapping fit_world(std::int32_t world_width, std::int32_t world_height, int device_width,
                       int device_height, bool keep_aspect);

// The mapping of a printed page on which one world unit is 1/100 mm: the printer's
// resolution over 2540 in each direction, the given offsets.
WorldMapping metric_page_mapping(std::int32_t world_width, std::int32_t world_height, int dpi_x,
                                 int dpi_y, int offset_x, int offset_y);

// The window's natural size: its world at 150 dots per inch.
DeviceSize natural_size(std::int32_t world_width, std::int32_t world_height);

}  // namespace kovw::graphics
