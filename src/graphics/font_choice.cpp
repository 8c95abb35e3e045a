#include "graphics/font_choice.h"

#include <algorithm>
#include <array>

#include "graphics/font_names.h"

namespace kovw::graphics {

namespace {

constexpr std::array<int, 6> kLegacyTenths{100, 200, 300, 400, 500, 600};
constexpr double kPointsPerInch = 72;
// The reference width of a drawing area, in inches: 1925 units at 150 per inch.
constexpr double kReferenceWidthInches = 1925.0 / 150.0;
constexpr double kScreenFixedFactor = 500.0 / 400.0;
constexpr double kPrintFixedFactor = 2000.0 / 1900.0;
constexpr double kEnlargedFactor = 1.23;
constexpr int kCountMeasureTenths = 100;
constexpr int kDefaultCount = 100;

// The em height in pixels of `tenths` tenths of a point on the window's device.
double device_pixels(double tenths, bool fixed_factor, const FontWindowFacts& facts) {
  const double points = tenths / 10.0;
  double pixels;
  if (fixed_factor) {
    pixels = points * facts.device_dpi / kPointsPerInch *
             (facts.print_definition ? kPrintFixedFactor : kScreenFixedFactor);
  } else {
    // points * dpi / 72, times the window's width over the reference width at that dpi.
    pixels = points / kPointsPerInch * std::max(facts.device_width, 1) / kReferenceWidthInches;
  }
  if (facts.enlarged_fonts && !facts.print_definition) pixels *= kEnlargedFactor;
  return pixels;
}

}  // namespace

int legacy_tenths(int number) {
  const int index = ((number - 1) % 6 + 6) % 6;
  return kLegacyTenths[static_cast<std::size_t>(index)];
}

std::optional<FontChoice> choose_font(const FontRequest& request, const FontWindowFacts& facts,
                                      const FontNameTable& names,
                                      const AverageWidthOf& average_width) {
  const int scale = facts.scale_percent == 0 ? 100 : facts.scale_percent;
  FontChoice choice;
  choice.number = request.number;
  choice.attribute = request.attribute;
  if (request.number == kFixedPitchFont || request.number == kProportionalFont) {
    const bool fixed = request.number == kFixedPitchFont;
    choice.face = fixed ? facts.fixed_face : facts.proportional_face;
    choice.tenths = (fixed ? facts.fixed_tenths : facts.proportional_tenths) * scale / 100;
    choice.pixel_size = device_pixels(choice.tenths, false, facts);
    return choice;
  }
  if (request.number < 0 || request.number >= kFontNameCount) return std::nullopt;
  choice.face = names.name(request.number);

  // The host's size through the window's zoom and scale.
  long long size = request.size;
  if (facts.zoom_percent != 0) size = size * facts.zoom_percent / 100;
  if (scale != 100) size = size * scale / 100;
  const long long host_size = size;
  if (!(request.options & kFontOptionTenths)) size *= 10;

  if (request.options & kFontOptionCharCount) {
    // The size at which `count` average characters fill the drawing area's width.
    int count = request.size;
    if (count < 1) {
      choice.count_below_one = true;
      count = kDefaultCount;
    }
    const double base_pixels = device_pixels(kCountMeasureTenths, false, facts);
    const double base_average =
        average_width ? average_width(choice.face, base_pixels) : base_pixels / 2;
    const double wanted_average = static_cast<double>(std::max(facts.device_width, 1)) / count;
    const double factor = base_average > 0 ? wanted_average / base_average : 1;
    choice.tenths = static_cast<int>(kCountMeasureTenths * factor);
    choice.pixel_size = base_pixels * factor;
    return choice;
  }
  if (!facts.takes_host_sizes || host_size < 1) {
    choice.tenths = legacy_tenths(request.number);
    choice.number = 0;
    choice.face = names.name(0);
    choice.pixel_size = device_pixels(choice.tenths, false, facts);
    return choice;
  }
  choice.tenths = static_cast<int>(std::clamp<long long>(size, 1, 1 << 24));
  choice.pixel_size = device_pixels(
      choice.tenths, (request.options & kFontOptionFixedScale) || host_size < 2, facts);
  return choice;
}

}  // namespace kovw::graphics
