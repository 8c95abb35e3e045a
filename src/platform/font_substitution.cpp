#include "platform/font_substitution.h"

#include <array>
#include <utility>

namespace kovw::platform {

namespace {

// Windows fonts hosts name, and what stands in for them here. The Liberation fonts have the
// metrics of the first three, so text screens keep their cell sizes.
constexpr std::array<std::pair<const char*, const char*>, 8> kSubstitutes{{
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Symbol", "DejaVu Sans"},
    {"Wingdings", "DejaVu Sans"},
}};

}  // namespace

QString substitute_font_family(const QString& name) {
  const QString trimmed = name.trimmed();
  for (const auto& [windows_name, here] : kSubstitutes) {
    if (trimmed.compare(QLatin1String(windows_name), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(here);
  }
  return trimmed;
}

QFont font_for(const QString& name, int tenths_of_points) {
  QFont font(substitute_font_family(name));
  font.setPointSizeF(tenths_of_points > 0 ? tenths_of_points / 10.0 : 10.0);
  return font;
}

}  // namespace kovw::platform
