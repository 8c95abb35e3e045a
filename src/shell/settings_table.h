#pragma once
// The values of the stored "Settings" key: name, field of the settings record, type, and the
// three behaviours of a value that is not there — the value taken when the key exists but
// the value does not ("missing"), the value a new installation writes ("fresh"), and whether
// a missing value makes the loader write all settings back ("rewrite").

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "shell/settings_record.h"

namespace kovw::shell {

enum class SettingKind {
  Int,   // 4 bytes, binary little-endian
  Byte,  // 1 byte, binary
  Text,  // zero-terminated 8-bit text within the field's size
};

// Reaches one text field of the record.
struct TextAccess {
  std::string_view (*get)(const SettingsRecord&);
  bool (*set)(SettingsRecord&, std::string_view);  // false when the text does not fit
  std::size_t size;                                // field size with the terminating zero
};

struct SettingDescriptor {
  const char* name;
  SettingKind kind;
  std::int32_t SettingsRecord::*int_field = nullptr;
  std::uint8_t SettingsRecord::*byte_field = nullptr;
  TextAccess text{};
  std::int32_t missing = 0;  // numbers
  std::int32_t fresh = 0;
  const char* missing_text = "";  // texts
  const char* fresh_text = "";
  bool rewrite = false;
  bool write_only = false;  // stored for others to see, never read back ("Icon Size")
};

// Every value in the order in which the loader reads and the saver writes them.
std::span<const SettingDescriptor> settings_table();
// The descriptor of value `name` (compared without regard to case), or nullptr.
const SettingDescriptor* find_setting(std::string_view name);

// Names of the values handled outside the table.
inline constexpr const char* kEditModeValue = "Edit Mode";          // obsolete, always deleted
inline constexpr const char* kCustomColorsValue = "Custom Colors";  // 16 colours, 64 bytes
inline constexpr const char* kEnvironCountValue = "Environ Count";

// The start program that older versions stored and its replacement.
inline constexpr const char* kOldStartProgram = "HW/p/dimen";
inline constexpr const char* kDefaultStartProgram = "HW/p/wdimen";
// Versions below this stored the old start program.
inline constexpr std::int32_t kStartProgramChangeVersion = 0x041301;

}  // namespace kovw::shell
