// The colour model of a screen option record: any 224 bytes, from any host library, on any
// screen kind, model on or off. Checks that normalising and applying keep every value in range.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "session/program/colour_model.h"

using namespace kovw::session;
namespace opt = kovw::protocol::screen_option;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  ScreenOptions record{};
  std::copy_n(data + 2, std::min(size - 2, record.size()), record.begin());
  normalise_screen_options(record, default_system_colours());
  if (record[opt::kModelSwitch] > 0x0F || record[opt::kFontNumber] == 0 ||
      record[opt::kFontSize] == 0) {
    std::abort();
  }
  ModelContext context;
  context.screen_kind = data[0] % 6;
  context.host_version = (data[1] & 1) ? 0x070000 : 0x050000;
  context.font_scale_percent = 50 + data[1];
  context.font_factor = data[1];
  const ColourModel model = apply_colour_model(record, context, default_system_colours());
  for (int i = 0; i < kModelFontCount; ++i) {
    const ModelFont& font = model.font(i);
    if (font.number < 0 || font.number > 31 || font.size <= 0 || model.scaled_font_size(i) < 0)
      std::abort();
  }
  if (model.icon_size() < kMinIconSize / 2) std::abort();
  if (model.frame_type() != kStandardFrame && model.frame_type() != kOwnFrame) std::abort();
  for (std::size_t offset = 0; offset < record.size(); ++offset) {
    if (model.frame_value(offset) < 0) std::abort();
  }
  return 0;
}
