#pragma once
// Editing the environment table of the settings record, which is sent to the host at login:
// up to 32 entries of a name and a value, in order of entry.

#include <string_view>

#include "shell/settings_record.h"

namespace kovw::shell {

enum class EnvironmentEdit {
  added,    // a new entry at the end
  changed,  // the value of an entry of that name replaced
  full,     // no room for a new entry (message 10050)
  invalid,  // empty name, a name with "=", or a name or value too long for its field
};

// Sets `name` to `value`: the entry of that name changes, otherwise a new one is added.
EnvironmentEdit set_environment_entry(SettingsRecord& record, std::string_view name,
                                      std::string_view value);
// Removes entry `index`; the following entries move up. False for an index out of range.
bool remove_environment_entry(SettingsRecord& record, int index);
// The index of the entry `name`, -1 when there is none.
int find_environment_entry(const SettingsRecord& record, std::string_view name);

}  // namespace kovw::shell
