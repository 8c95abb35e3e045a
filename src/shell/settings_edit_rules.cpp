#include "shell/settings_edit_rules.h"

#include <cmath>
#include <limits>

namespace kovw::shell {

std::int32_t points_to_tenths(double points) {
  if (!std::isfinite(points) || points <= 0) return 0;
  const double tenths = std::round(points * 10.0);
  if (tenths >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(tenths);
}

double tenths_to_points(std::int32_t tenths) {
  return tenths / 10.0;
}

std::int32_t checked_cursor_width(std::int32_t width) {
  return width < 1 || width > 30 ? 2 : width;
}

std::int32_t automatic_kovw_port(std::int32_t kovd_port) {
  return kovd_port + kAutomaticPortOffset;
}

void apply_settings_edit_rules(SettingsRecord& record) {
  record.cursor_width = checked_cursor_width(record.cursor_width);
  if (record.automatic_kovw_port) record.kovw_port = automatic_kovw_port(record.kovd_port);
}

bool restart_needed(const SettingsRecord& before, const SettingsRecord& after) {
  return before.kovw_port != after.kovw_port || before.kovd_port != after.kovd_port ||
         before.automatic_kovw_port != after.automatic_kovw_port ||
         before.kovw_videoport != after.kovw_videoport ||
         before.kovw_printer_port != after.kovw_printer_port || before.language != after.language ||
         before.charset != after.charset ||
         before.disable_print_service != after.disable_print_service ||
         before.auto_print_port != after.auto_print_port;
}

}  // namespace kovw::shell
