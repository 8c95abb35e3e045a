// Command-line overrides over the loaded settings, and the values derived from them.
#include "shell/settings_store.h"

namespace kovw::shell {

void apply_login_overrides(SettingsRecord& s, const OverrideRecord& o) {
  const SettingsRecord& v = o.values;
  if (o.mask & kOverrideHost) s.host = v.host;
  if (o.mask & kOverrideUser) s.user = v.user;
  if (o.mask & kOverrideDomain) s.domain = v.domain;
  if (o.mask & kOverridePassword) s.password = v.password;
}

void apply_override_fields(SettingsRecord& s, const OverrideRecord& o) {
  const SettingsRecord& v = o.values;
  const std::uint32_t m = o.mask;
  if (m & kOverrideStartProgram) {
    s.start_program = v.start_program;
    s.command_line = v.command_line;
  }
  if (m & kOverrideWorkingDirectory) s.working_directory = v.working_directory;
  if (m & kOverrideFont) {
    s.font_name = v.font_name;
    s.font_size = v.font_size;
  }
  if (m & kOverrideButtonFont) {
    s.button_font = v.button_font;
    s.button_size = v.button_size;
  }
  if (m & kOverrideAutoLogin) s.auto_login = v.auto_login;
  if (m & kOverrideAutoEnd) s.auto_end = v.auto_end;
  if (m & kOverrideEnvironment) {
    s.environment = v.environment;
    s.environment_used = v.environment_used;
  }
  apply_login_overrides(s, o);
  if (m & kOverrideKovdPort) s.kovd_port = v.kovd_port;
  if (m & kOverrideKovwPort) {
    s.kovw_port = v.kovw_port;
    s.automatic_kovw_port = v.kovw_port < 1 ? 1 : 0;
  }
  if (m & kOverrideVirtualKeyboard) s.virtual_keyboard = v.virtual_keyboard;
  if (m & kOverridePrinterPort) {
    if (v.kovw_printer_port == 0) {
      s.disable_print_service = 1;
    } else {
      s.kovw_printer_port = v.kovw_printer_port;
      s.disable_print_service = v.disable_print_service;
      s.auto_print_port = v.auto_print_port;
    }
  }
  if (m & kOverrideSecureConnection) s.secure_connection = v.secure_connection;
  if (m & kOverrideCryptedConnection) s.crypted_connection = v.crypted_connection;
  if (m & kOverridePingTimer) s.ping_timer = v.ping_timer;
  if (m & kOverrideInstallPath) s.install_path = v.install_path;
  if (m & kOverridePosterPrint) s.poster_print = v.poster_print;
  if (m & kOverridePropFont) {
    s.prop_font = v.prop_font;
    s.prop_size = v.prop_size;
  }
  if (m & kOverrideLanguage) s.language = v.language;
  if (m & kOverrideDoubleClick) s.double_click = v.double_click;
  if (m & kOverrideSlowConnect) s.slow_connect = v.slow_connect;
  if (m & kOverrideNoSyscolChange) s.no_syscol_change = v.no_syscol_change;
  if (m & kOverrideCharset) s.charset = v.charset;
  if (m & kOverrideNoPasswordChange) s.no_password_change = v.no_password_change;

  // The font-factor group has its own mask, which does not block writing back.
  if (o.font_mask & kFontOverrideFactor) s.font_factor = v.font_factor;
  if (o.font_mask & kFontOverrideIconSize) s.icon_size = v.icon_size;
  if (o.font_mask & kFontOverrideVideoPort) s.kovw_videoport = v.kovw_videoport;
}

void compute_derived_values(SettingsRecord& s, bool keep_icon_size) {
  s.effective_slow_connect = s.slow_connect;
  const int factor = s.font_factor == 0 ? 100 : s.font_factor;
  if (!s.font_name.empty() && s.font_size != 0) {
    s.text_font_name = s.font_name;
    s.text_font_height = s.font_size * factor / 100;
  } else {
    s.text_font_name.assign("Courier New");
    s.text_font_height = 160 * factor / 100;
  }
  if (!s.prop_font.empty() && s.prop_size != 0) {
    s.prop_font_name = s.prop_font;
    s.prop_font_height = s.prop_size * factor / 100;
  } else {
    s.prop_font_name.assign("Arial");
    s.prop_font_height = 120 * factor / 100;
  }
  if (!keep_icon_size) s.icon_size = static_cast<std::uint8_t>(factor * 16 / 100);
}

}  // namespace kovw::shell
