#include "shell/settings_table.h"

#include <strings.h>
#include <array>

namespace kovw::shell {

namespace {

template <auto Member>
TextAccess text_of() {
  using Field = std::remove_reference_t<decltype(std::declval<SettingsRecord&>().*Member)>;
  return TextAccess{
      [](const SettingsRecord& r) { return (r.*Member).view(); },
      [](SettingsRecord& r, std::string_view t) { return (r.*Member).assign(t); },
      Field::capacity + 1,
  };
}

template <std::size_t Index>
TextAccess host_directory() {
  return TextAccess{
      [](const SettingsRecord& r) { return r.host_directory[Index].view(); },
      [](SettingsRecord& r, std::string_view t) { return r.host_directory[Index].assign(t); },
      decltype(SettingsRecord::host_directory)::value_type::capacity + 1,
  };
}

constexpr SettingDescriptor number(const char* name, std::int32_t SettingsRecord::*field,
                                   std::int32_t missing, std::int32_t fresh, bool rewrite = false) {
  SettingDescriptor d{name, SettingKind::Int};
  d.int_field = field;
  d.missing = missing;
  d.fresh = fresh;
  d.rewrite = rewrite;
  return d;
}

SettingDescriptor text(const char* name, TextAccess access, const char* missing = "",
                       const char* fresh = "", bool rewrite = false) {
  SettingDescriptor d{name, SettingKind::Text};
  d.text = access;
  d.missing_text = missing;
  d.fresh_text = fresh;
  d.rewrite = rewrite;
  return d;
}

SettingDescriptor byte(const char* name, std::uint8_t SettingsRecord::*field, std::int32_t missing,
                       std::int32_t fresh, bool write_only = false) {
  SettingDescriptor d{name, SettingKind::Byte};
  d.byte_field = field;
  d.missing = missing;
  d.fresh = fresh;
  d.write_only = write_only;
  return d;
}

constexpr bool kRewrite = true;
using R = SettingsRecord;

const auto& table() {
  static const std::array kTable = {
      number("Save Passwd", &R::save_passwd, 0, 0),
      number("Auto Login", &R::auto_login, 0, 0),
      text("Working Directory", text_of<&R::working_directory>()),
      number("Auto End", &R::auto_end, 0, 1),
      number("Disable Print Service", &R::disable_print_service, 0, 0),
      number("Disable Ask for Hosts", &R::disable_ask_for_hosts, 0, 0),
      number("KOVW Port", &R::kovw_port, 4727, 4727),
      number("KOVW Videoport", &R::kovw_videoport, 48000, 48000, kRewrite),
      number("Auto Print Port", &R::auto_print_port, 1, 1, kRewrite),
      number("Poster Print", &R::poster_print, 0, 0, kRewrite),
      number("No Save Page", &R::no_save_page, 0, 0, kRewrite),
      number("No Syscol Change", &R::no_syscol_change, 1, 1, kRewrite),
      number("No Password Change", &R::no_password_change, 0, 0, kRewrite),
      number("Saved Version", &R::saved_version, 0, 0),
      number("Virtual Keyboard", &R::virtual_keyboard, 0, 0),
      number("Square Tooltips", &R::square_tooltips, 0, 0),
      number("Last Version", &R::last_version, 0, 0),
      number("Smart Edit", &R::smart_edit, 6, 6, kRewrite),
      number("Start Login", &R::start_login, 1, 1, kRewrite),
      number("Automatic KOVW Port", &R::automatic_kovw_port, 1, 1, kRewrite),
      text("Font Name", text_of<&R::font_name>()),
      number("Print Bold", &R::print_bold, 0, 0),
      number("Font Size", &R::font_size, 0, 0),
      byte("Font Faktor", &R::font_factor, 100, 0),
      number("Font Attributes", &R::font_attributes, 0, 0),
      text("Start Program", text_of<&R::start_program>(), kDefaultStartProgram,
           kDefaultStartProgram, kRewrite),
      text("Prop Font", text_of<&R::prop_font>()),
      number("Prop Size", &R::prop_size, 0, 0),
      number("Prop Attributes", &R::prop_attributes, 0, 0),
      number("Cursor Width", &R::cursor_width, 2, 2, kRewrite),
      number("KOVD Port", &R::kovd_port, 4724, 4724, kRewrite),
      number("Secure Connection enabled", &R::secure_connection, 1, 1, kRewrite),
      number("Crypted Connection enabled", &R::crypted_connection, 1, 1, kRewrite),
      number("KOVW Printer Port", &R::kovw_printer_port, 9500, 9500),
      number("Desktop Width", &R::desktop_width, 0, 0),
      number("Desktop Height", &R::desktop_height, 0, 0),
      text("Button Font", text_of<&R::button_font>()),
      number("Button Size", &R::button_size, 0, 0),
      number("Button Attributes", &R::button_attributes, 0, 0),
      number("Keyboard", &R::keyboard, 0, 0),
      number("Ping Timer", &R::ping_timer, 30, 10),
      number("Date", &R::date, 0, 0),
      number("Error Level", &R::error_level, 3, 3),
      text("Command Line", text_of<&R::command_line>()),
      number(kEnvironCountValue, &R::environ_count, 0, 0),
      text("Install Path", text_of<&R::install_path>()),
      text("Choose Directory", text_of<&R::choose_directory>()),
      text("Host Directory 0", host_directory<0>()),
      text("Host Directory 1", host_directory<1>()),
      text("Host Directory 2", host_directory<2>()),
      text("Host Directory 3", host_directory<3>()),
      text("Host Directory 4", host_directory<4>()),
      text("Host Directory 5", host_directory<5>()),
      text("Host Directory 6", host_directory<6>()),
      text("Host Directory 7", host_directory<7>()),
      number("Language", &R::language, 0, 0),
      number("Charset", &R::charset, 0, 0),
      number("Double Click", &R::double_click, 0, 0),
      number("Slow Connect", &R::slow_connect, 0, 0),
      number("TAB Blanks", &R::tab_blanks, 2, 2),
      byte("Icon Size", &R::icon_size, 0, 0, /*write_only=*/true),
      text("PDF Folder", text_of<&R::pdf_folder>()),
      text("Record Directory", text_of<&R::record_directory>()),
  };
  return kTable;
}

}  // namespace

std::span<const SettingDescriptor> settings_table() {
  return table();
}

const SettingDescriptor* find_setting(std::string_view name) {
  for (const SettingDescriptor& d : table()) {
    const std::string_view stored(d.name);
    if (stored.size() == name.size() &&
        ::strncasecmp(stored.data(), name.data(), name.size()) == 0) {
      return &d;
    }
  }
  return nullptr;
}

}  // namespace kovw::shell
