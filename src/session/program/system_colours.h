#pragma once
// The desktop's system colours as the colour model knows them: taken once on the GUI thread
// (system_palette.h fills them from the application palette) and read by program threads under
// the process-wide lock. Until they are taken, classic defaults stand in.

#include <array>
#include <cstddef>

#include "protocol/program/screen_options.h"

namespace kovw::session {

enum class SystemColour : std::size_t {
  kWindow,
  kWindowText,
  kHighlight,
  kHighlightText,
  kInactiveBorder,
  kInactiveCaptionText,
  kButtonFace,
  kButtonText,
  kButtonHighlight,
  kDarkShadow3d,
  kButtonShadow,
  kLight3d,
  kMenu,
  kMenuText,
  kScrollBar,
  kGrayText,
  kActiveCaption,
  kInactiveCaption,
  kCaptionText,
  kTooltipText,
  kCount
};

inline constexpr std::size_t kSystemColourCount = static_cast<std::size_t>(SystemColour::kCount);

class SystemColourTable {
 public:
  protocol::Rgb operator[](SystemColour which) const {
    return colours_[static_cast<std::size_t>(which)];
  }
  protocol::Rgb& operator[](SystemColour which) {
    return colours_[static_cast<std::size_t>(which)];
  }
  friend bool operator==(const SystemColourTable&, const SystemColourTable&) = default;

 private:
  std::array<protocol::Rgb, kSystemColourCount> colours_{};
};

// The classic desktop colours.
SystemColourTable default_system_colours();

// Records the system colours for the process (the first call wins; later calls are ignored
// unless `replace` is set).
void remember_system_colours(const SystemColourTable& colours, bool replace = false);
// The recorded system colours, or the defaults while none are recorded.
SystemColourTable system_colours();

}  // namespace kovw::session
