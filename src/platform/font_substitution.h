#pragma once
// Fonts by the names hosts and settings use: a Windows font name is mapped to the font on this
// system that takes its place (metric-compatible where one exists). The one table of
// substitutions of the workstation.

#include <QFont>
#include <QString>

namespace kovw::platform {

// The family to ask the system for in place of `name` ("Courier New" -> "Liberation Mono");
// a name without a substitute is returned unchanged.
QString substitute_font_family(const QString& name);

// The same with what is known of the stand-in: whether it has the metrics of the named font
// (same advance widths and heights), so that text laid out for the one fits the other.
struct FontSubstitute {
  QString family;
  bool metric_compatible = false;  // false also when there is no entry for the name
  bool listed = false;             // the name has an entry in the table
};
FontSubstitute font_substitute(const QString& name);

// A font of `name` (substituted) with a height of `tenths_of_points` / 10 points.
QFont font_for(const QString& name, int tenths_of_points);

}  // namespace kovw::platform
