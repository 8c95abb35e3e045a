#pragma once
// The rules the general settings dialog applies to what the user entered: font sizes in
// points stored in tenths, the cursor width range, the listening port that follows the
// daemon port, and which changes only take effect at the next start.

#include <cstdint>

#include "shell/settings_record.h"

namespace kovw::shell {

// A size in points as stored: tenths of a point, rounded to the nearest tenth.
std::int32_t points_to_tenths(double points);
double tenths_to_points(std::int32_t tenths);

// "Cursor Width" outside 1 to 30 becomes 2.
std::int32_t checked_cursor_width(std::int32_t width);

// While "Automatic KOVW Port" is set the listening port is "KOVD Port" + 3.
inline constexpr std::int32_t kAutomaticPortOffset = 3;
std::int32_t automatic_kovw_port(std::int32_t kovd_port);

// Applies the rules to an edited record: the cursor width, and "KOVW Port" following
// "KOVD Port" when "Automatic KOVW Port" is set.
void apply_settings_edit_rules(SettingsRecord& record);

// True when `after` differs from `before` in a port, the language, the character set or a
// print-service setting: such changes take effect only at the next start.
bool restart_needed(const SettingsRecord& before, const SettingsRecord& after);

}  // namespace kovw::shell
