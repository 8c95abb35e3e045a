#pragma once
// Stored window sizes: per host program ("Sizes\<first 10 characters of the program name>")
// and of the three file-viewer windows ("DFA\Help", "DFA\Show", "DFA\Choose").

#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/registry.h"

namespace kovw::shell {

struct WindowSizes {
  std::int32_t geo_x = 0;  // "geoX"
  std::int32_t geo_y = 0;  // "geoY"
  std::int32_t anz_x = 0;  // "anzX": width
  std::int32_t anz_y = 0;  // "anzY": height
  std::int32_t pos_x = 0;  // "posX"
  std::int32_t pos_y = 0;  // "posY"
  std::int32_t size1 = 0;  // "Size1"
  std::int32_t size2 = 0;  // "Size2"
};

// The key of a program's sizes: "Sizes\" and the first 10 characters of its name in 8-bit
// text, escaped so that the name reaches no other key.
QString sizes_key(const QString& program_name);

// The size of the desktop that stored sizes are cut to: the available area of the primary
// screen (nullopt without a screen). Tests inject their own.
std::optional<QSize> desktop_size();

// `dr_load_sizes`: when all of "geoX" to "posY" exist, stores them (and "Size1", "Size2"
// when `with_sizes12` and they exist) into `sizes` and returns 1; otherwise leaves `sizes`
// as it is and returns 0. Afterwards a width wider than `desktop` is cut to its width with
// "posX" 0, and likewise the height.
int dr_load_sizes(platform::Registry& registry, const QString& program_name, WindowSizes& sizes,
                  bool with_sizes12, std::optional<QSize> desktop = desktop_size());
// `dr_save_sizes`: writes all eight values, under the global lock. Returns 0 or -1.
int dr_save_sizes(platform::Registry& registry, const QString& program_name,
                  const WindowSizes& sizes);

// The same on the registry of the process-wide settings store (any thread).
int dr_load_sizes(const QString& program_name, WindowSizes& sizes, bool with_sizes12);
int dr_save_sizes(const QString& program_name, const WindowSizes& sizes);

// The file-viewer windows.
enum class ViewerWindow { Help, Show, Choose };
// Width and height of a viewer window; nullopt unless both are stored.
std::optional<QSize> load_viewer_size(platform::Registry& registry, ViewerWindow window);
bool save_viewer_size(platform::Registry& registry, ViewerWindow window, QSize size);

}  // namespace kovw::shell
