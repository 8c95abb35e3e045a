#include "shell/environment_table.h"

#include <algorithm>

namespace kovw::shell {

namespace {

int used_entries(const SettingsRecord& record) {
  return std::clamp(record.environment_used, 0, kEnvironmentEntries);
}

}  // namespace

int find_environment_entry(const SettingsRecord& record, std::string_view name) {
  const int used = used_entries(record);
  for (int i = 0; i < used; ++i)
    if (record.environment[static_cast<std::size_t>(i)].name.view() == name) return i;
  return -1;
}

EnvironmentEdit set_environment_entry(SettingsRecord& record, std::string_view name,
                                      std::string_view value) {
  EnvironmentEntry entry;
  if (name.empty() || name.find('=') != std::string_view::npos || !entry.name.assign(name) ||
      !entry.value.assign(value))
    return EnvironmentEdit::invalid;
  const int found = find_environment_entry(record, name);
  if (found >= 0) {
    record.environment[static_cast<std::size_t>(found)].value = entry.value;
    return EnvironmentEdit::changed;
  }
  const int used = used_entries(record);
  if (used >= kEnvironmentEntries) return EnvironmentEdit::full;
  record.environment[static_cast<std::size_t>(used)] = entry;
  record.environment_used = used + 1;
  record.environ_count = record.environment_used;
  return EnvironmentEdit::added;
}

bool remove_environment_entry(SettingsRecord& record, int index) {
  const int used = used_entries(record);
  if (index < 0 || index >= used) return false;
  for (int i = index; i + 1 < used; ++i)
    record.environment[static_cast<std::size_t>(i)] =
        record.environment[static_cast<std::size_t>(i + 1)];
  record.environment[static_cast<std::size_t>(used - 1)] = EnvironmentEntry{};
  record.environment_used = used - 1;
  record.environ_count = record.environment_used;
  return true;
}

}  // namespace kovw::shell
