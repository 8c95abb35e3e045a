#include "platform/font_substitution.h"

#include <array>
#include <utility>

namespace kovw::platform {

namespace {

struct Substitute {
  const char* windows_name;
  const char* here;
  bool metric_compatible;
};

// Windows fonts hosts name, and what stands in for them here. The Liberation fonts have the
// metrics of Courier New, Arial, Arial Narrow and Times New Roman, so text screens keep their
// cell sizes and graphics texts their widths.
constexpr std::array<Substitute, 10> kSubstitutes{{
    {"Courier New", "Liberation Mono", true},
    {"Courier", "Liberation Mono", true},
    {"Arial", "Liberation Sans", true},
    {"Arial Narrow", "Liberation Sans Narrow", true},
    {"Helvetica", "Liberation Sans", true},
    {"MS Sans Serif", "Liberation Sans", false},
    {"Times New Roman", "Liberation Serif", true},
    {"Times", "Liberation Serif", true},
    {"Symbol", "DejaVu Sans", false},
    {"Wingdings", "DejaVu Sans", false},
}};

}  // namespace

FontSubstitute font_substitute(const QString& name) {
  const QString trimmed = name.trimmed();
  for (const Substitute& entry : kSubstitutes) {
    if (trimmed.compare(QLatin1String(entry.windows_name), Qt::CaseInsensitive) == 0)
      return {QString::fromLatin1(entry.here), entry.metric_compatible, true};
  }
  return {trimmed, false, false};
}

QString substitute_font_family(const QString& name) {
  return font_substitute(name).family;
}

QFont font_for(const QString& name, int tenths_of_points) {
  QFont font(substitute_font_family(name));
  font.setPointSizeF(tenths_of_points > 0 ? tenths_of_points / 10.0 : 10.0);
  return font;
}

}  // namespace kovw::platform
