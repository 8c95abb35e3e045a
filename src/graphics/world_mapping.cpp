#include "graphics/world_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace kovw::graphics {

namespace {

constexpr std::int64_t kHundredthsOfMmPerInch = 2540;
constexpr std::int64_t kNaturalDpi = 150;

std::int32_t at_least_one(std::int32_t value) {
  return value == 0 ? 1 : value;
}

int clamp_int(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

// Sets the rounding terms: half the denominators, signed like the numerators.
void set_roundings(WorldMapping& m) {
  m.x_rounding = (m.x_numerator < 0 ? -1 : 1) * (m.x_denominator / 2);
  m.y_rounding = (m.y_numerator < 0 ? -1 : 1) * (m.y_denominator / 2);
}

}  // namespace

DevicePoint WorldMapping::map(std::int32_t x, std::int32_t y) const {
  const std::int64_t wx = std::int64_t{x} + (absolute ? 0 : shift_x);
  const std::int64_t wy = std::int64_t{y} + (absolute ? 0 : shift_y);
  // Integer division in C++ truncates toward zero, as the mapping requires.
  std::int64_t dx = (x_numerator * wx + x_rounding) / x_denominator;
  std::int64_t dy = (y_numerator * wy + y_rounding) / y_denominator;
  if (!absolute) {
    dx += std::int64_t{x_offset} + scroll_x;
    dy += std::int64_t{y_offset} + scroll_y;
  }
  return {clamp_int(dx), clamp_int(dy)};
}

DevicePointF WorldMapping::map_f(double x, double y) const {
  double dx = static_cast<double>(x_numerator) * (x + (absolute ? 0 : shift_x)) / x_denominator;
  double dy = static_cast<double>(y_numerator) * (y + (absolute ? 0 : shift_y)) / y_denominator;
  if (!absolute) {
    dx += static_cast<double>(x_offset) + scroll_x;
    dy += static_cast<double>(y_offset) + scroll_y;
  }
  return {dx, dy};
}

int WorldMapping::map_length_x(std::int32_t length) const {
  return clamp_int((x_numerator * length + x_rounding) / x_denominator);
}

double WorldMapping::map_length_x_f(double length) const {
  return static_cast<double>(x_numerator) * length / x_denominator;
}

double WorldMapping::map_length_y_f(double length) const {
  return std::fabs(static_cast<double>(y_numerator) * length / y_denominator);
}

DeviceSize fitted_extent(std::int32_t world_width, std::int32_t world_height, int area_width,
                         int area_height) {
  const std::int64_t w = std::llabs(at_least_one(world_width));
  const std::int64_t h = std::llabs(at_least_one(world_height));
  // The width that keeps the ratio at the full height, unless that is too wide.
  const std::int64_t width_at_full_height = std::int64_t{area_height} * w / h;
  if (width_at_full_height <= area_width) return {clamp_int(width_at_full_height), area_height};
  return {area_width, clamp_int(std::int64_t{area_width} * h / w)};
}

WorldMapping fit_world(std::int32_t world_width, std::int32_t world_height, int device_width,
                       int device_height, bool keep_aspect) {
  WorldMapping m;
  m.world_width = at_least_one(world_width);
  m.world_height = at_least_one(world_height);
  if (keep_aspect) {
    const DeviceSize fitted =
        fitted_extent(m.world_width, m.world_height, device_width, device_height);
    device_width = fitted.width;
    device_height = fitted.height;
  }
  m.device_width = std::max(device_width, 1);
  m.device_height = std::max(device_height, 1);
  std::int64_t numerator = m.device_width;
  std::int64_t denominator = m.world_width;
  if (denominator < 0) numerator = -numerator, denominator = -denominator;
  const std::int64_t divisor = std::gcd(numerator, denominator);
  m.x_numerator = numerator / divisor;
  m.x_denominator = denominator / divisor;
  m.y_numerator = -m.x_numerator;
  m.y_denominator = m.x_denominator;
  set_roundings(m);
  m.x_offset = 0;
  m.y_offset = m.device_height - 1;
  return m;
}

WorldMapping metric_page_mapping(std::int32_t world_width, std::int32_t world_height, int dpi_x,
                                 int dpi_y, int offset_x, int offset_y) {
  WorldMapping m;
  m.world_width = at_least_one(world_width);
  m.world_height = at_least_one(world_height);
  m.x_numerator = std::max(dpi_x, 1);
  m.x_denominator = kHundredthsOfMmPerInch;
  m.y_numerator = -std::max(dpi_y, 1);
  m.y_denominator = kHundredthsOfMmPerInch;
  set_roundings(m);
  m.device_width = clamp_int(std::int64_t{m.world_width} * m.x_numerator / m.x_denominator);
  m.device_height = clamp_int(std::int64_t{m.world_height} * -m.y_numerator / m.y_denominator);
  m.x_offset = offset_x;
  m.y_offset = offset_y;
  return m;
}

DeviceSize natural_size(std::int32_t world_width, std::int32_t world_height) {
  return {
      clamp_int(std::int64_t{at_least_one(world_width)} * kNaturalDpi / kHundredthsOfMmPerInch),
      clamp_int(std::int64_t{at_least_one(world_height)} * kNaturalDpi / kHundredthsOfMmPerInch)};
}

}  // namespace kovw::graphics
