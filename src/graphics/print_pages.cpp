#include "graphics/print_pages.h"

#include <algorithm>
#include <cmath>

#include <algorithm>
#include <utility>

namespace kovw::graphics {

namespace {

constexpr int kOptionPoster = 0x08;
constexpr int kFlagLandscapeWhenWider = 0x0002;
constexpr int kFlagFitOnePage = 0x0004;

}  // namespace

int pages_for(std::int32_t world, double page_mm) {
  if (world <= 0 || page_mm <= 0) return 1;
  const auto page = static_cast<std::int64_t>(page_mm * 100);
  if (page <= 0) return 1;
  return static_cast<int>(std::max<std::int64_t>(0, std::int64_t{world} - 2000) / page + 1);
}

PrintLayout print_layout(const PrintRequest& r) {
  PrintLayout out;
  const bool poster_asked = (r.options & kOptionPoster) != 0;
  const bool poster = poster_asked && r.poster_enabled;
  out.poster_refused = poster_asked && !r.poster_enabled;
  const int fixed = r.options & 0x03;
  const bool host_fixed = fixed != 0;
  if ((poster || host_fixed) && fixed != 0) {
    out.orientation = fixed == 2 ? kLandscape : kPortrait;
  } else if (r.window_flags & kFlagLandscapeWhenWider) {
    out.orientation = r.world_width > r.world_height ? kLandscape : kPortrait;
  } else {
    out.orientation = r.orientation_byte + 1 == kLandscape ? kLandscape : kPortrait;
  }
  out.world_width = r.world_width;
  out.world_height = r.world_height;
  // The world is turned so that it is at least as high as wide for portrait, and at least as
  // wide as high for landscape.
  if ((out.orientation == kPortrait && out.world_width > out.world_height) ||
      (out.orientation == kLandscape && out.world_height > out.world_width))
    std::swap(out.world_width, out.world_height);

  const bool fit = (r.window_flags & kFlagFitOnePage) != 0;
  auto counts = [&](int orientation) {
    const double across_mm = orientation == kPortrait ? r.page_width_mm : r.page_height_mm;
    const double down_mm = orientation == kPortrait ? r.page_height_mm : r.page_width_mm;
    int across = 1, down = 1;
    if (!fit) {
      across = pages_for(out.world_width, across_mm);
      down = pages_for(out.world_height, down_mm);
    }
    if (poster) {
      if (out.world_width == 0 || fit)
        across = r.poster_across > 0 && r.poster_across < kPosterPagesMax ? r.poster_across : 1;
      if (out.world_height == 0 || fit)
        down = r.poster_down > 0 && r.poster_down < kPosterPagesMax ? r.poster_down : 1;
    }
    return std::pair{across, down};
  };
  auto [across, down] = counts(out.orientation);
  const bool may_turn =
      out.world_width != 0 && out.world_height != 0 && !fit && !(r.chosen_in_dialog && !host_fixed);
  if (may_turn) {
    const int turned = out.orientation == kPortrait ? kLandscape : kPortrait;
    const auto [t_across, t_down] = counts(turned);
    if (t_across * t_down < across * down) {
      out.orientation = turned;
      across = t_across;
      down = t_down;
    }
  }
  out.across = across;
  out.down = down;
  out.poster = across * down > 1;
  return out;
}

PaperSize paper_from_options(int code, std::int32_t user_width, std::int32_t user_height) {
  switch (code) {
    case 1:
      return {148, 210};  // A5
    case 2:
      return {297, 420};  // A3
    case 3:
      return {420, 594};  // A2
    case 4:
      return {594, 841};
    case 5:
      return {841, 1189};
    case 6: {
      if (user_width <= 0 || user_height <= 0) return {};
      // Hundredths of a millimetre to tenths, rounded; the shorter side is the width.
      const double a = std::round(user_width / 10.0) / 10.0;
      const double b = std::round(user_height / 10.0) / 10.0;
      return {std::min(a, b), std::max(a, b)};
    }
    default:
      return {};  // A4
  }
}

}  // namespace kovw::graphics
