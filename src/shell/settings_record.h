#pragma once
// The process-wide settings record: every value of the stored "Settings" and "Login" keys
// and the environment table. The command-line override record has exactly this layout.
// Read by every thread, written by the main thread only.

#include <array>
#include <cstdint>

#include "foundation/bounded_string.h"
#include "foundation/fixed_string.h"

namespace kovw::shell {

using foundation::BoundedString;
using foundation::FixedString;

inline constexpr int kEnvironmentEntries = 32;

// One entry of the environment table sent to the host at login.
struct EnvironmentEntry {
  FixedString<32> name;
  FixedString<232> value;
};

// Field order follows the order in which the store reads the "Settings" values.
struct SettingsRecord {
  std::int32_t save_passwd = 0;            // "Save Passwd": bit 0 store password, bits 1/2 present
  std::int32_t auto_login = 0;             // "Auto Login"
  BoundedString<260> working_directory;    // "Working Directory"
  std::int32_t auto_end = 0;               // "Auto End"
  std::int32_t disable_print_service = 0;  // "Disable Print Service"
  std::int32_t disable_ask_for_hosts = 0;  // "Disable Ask for Hosts"
  std::int32_t kovw_port = 0;              // "KOVW Port"
  std::int32_t kovw_videoport = 0;         // "KOVW Videoport"
  std::int32_t auto_print_port = 0;        // "Auto Print Port"
  std::int32_t poster_print = 0;           // "Poster Print"
  std::int32_t no_save_page = 0;           // "No Save Page"
  std::int32_t no_syscol_change = 0;       // "No Syscol Change"
  std::int32_t no_password_change = 0;     // "No Password Change"
  std::int32_t saved_version = 0;          // "Saved Version"
  std::int32_t virtual_keyboard = 0;       // "Virtual Keyboard"
  std::int32_t square_tooltips = 0;        // "Square Tooltips"
  std::int32_t last_version = 0;           // "Last Version"
  std::int32_t first_start = 0;            // bit 0: first start (not stored)
  std::int32_t smart_edit = 0;             // "Smart Edit"
  std::int32_t start_login = 0;            // "Start Login"
  std::int32_t automatic_kovw_port = 0;    // "Automatic KOVW Port"
  FixedString<256> font_name;              // "Font Name"
  std::int32_t print_bold = 0;             // "Print Bold"
  std::int32_t font_size = 0;              // "Font Size", tenths of a point
  std::uint8_t font_factor = 0;            // "Font Faktor", percent
  std::int32_t font_attributes = 0;        // "Font Attributes"
  BoundedString<260> start_program;        // "Start Program"
  FixedString<256> prop_font;              // "Prop Font"
  std::int32_t prop_size = 0;              // "Prop Size"
  std::int32_t prop_attributes = 0;        // "Prop Attributes"
  std::int32_t cursor_width = 0;           // "Cursor Width"
  std::int32_t kovd_port = 0;              // "KOVD Port"
  std::int32_t secure_connection = 0;      // "Secure Connection enabled" (compression)
  std::int32_t crypted_connection = 0;     // "Crypted Connection enabled"
  std::int32_t kovw_printer_port = 0;      // "KOVW Printer Port"
  std::int32_t desktop_width = 0;          // "Desktop Width"
  std::int32_t desktop_height = 0;         // "Desktop Height"
  FixedString<256> button_font;            // "Button Font"
  std::int32_t button_size = 0;            // "Button Size"
  std::int32_t button_attributes = 0;      // "Button Attributes"
  std::int32_t keyboard = 0;               // "Keyboard"
  std::int32_t ping_timer = 0;             // "Ping Timer", seconds
  std::int32_t date = 0;                   // "Date", YYYYMMDD
  std::int32_t error_level = 0;            // "Error Level"
  static constexpr std::int32_t kErrorLevelNoBeeps = 0x10;  // bit of "Error Level": beeps off
  FixedString<2048> command_line;                           // "Command Line"
  std::int32_t environ_count = 0;                           // "Environ Count"
  BoundedString<260> install_path;                   // "Install Path": the local data directory
  BoundedString<260> choose_directory;               // "Choose Directory"
  std::array<BoundedString<260>, 8> host_directory;  // "Host Directory 0" ... "7"
  std::int32_t language = 0;                         // "Language"
  std::int32_t charset = 0;                          // "Charset"
  std::int32_t double_click = 0;                     // "Double Click"
  std::int32_t slow_connect = 0;                     // "Slow Connect"
  std::int32_t tab_blanks = 0;                       // "TAB Blanks"
  std::uint8_t icon_size = 0;                        // "Icon Size" (always recomputed)
  std::array<std::uint32_t, 16> custom_colors{};     // "Custom Colors"
  BoundedString<260> pdf_folder;                     // "PDF Folder": where the PDF printer writes
  BoundedString<260> record_directory;  // "Record Directory": session traces go here (empty: off)

  // "Login" key.
  FixedString<64> host;                     // "Host"
  FixedString<64> user;                     // "User"
  FixedString<64> domain;                   // "Domain"
  std::array<std::uint8_t, 32> password{};  // "Password", always enciphered in memory

  // Environment table, in order of entry.
  std::array<EnvironmentEntry, kEnvironmentEntries> environment;
  int environment_used = 0;

  // Derived: the effective slow-connect level, from "Slow Connect" after every load and
  // from the browser login data.
  std::int32_t effective_slow_connect = 0;

  // Derived at the end of every load from the font values and "Font Faktor": the font of
  // text screens and the proportional font, with their heights (tenths of a point).
  FixedString<256> text_font_name;
  std::int32_t text_font_height = 0;
  FixedString<256> prop_font_name;
  std::int32_t prop_font_height = 0;
};

}  // namespace kovw::shell
