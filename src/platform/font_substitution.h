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

// A font of `name` (substituted) with a height of `tenths_of_points` / 10 points.
QFont font_for(const QString& name, int tenths_of_points);

}  // namespace kovw::platform
