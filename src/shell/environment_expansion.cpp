#include "shell/environment_expansion.h"

#include <algorithm>
#include <vector>

namespace kovw::shell {
namespace {

bool is_name_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

const EnvironmentEntry* find_entry(std::span<const EnvironmentEntry> table, std::string_view name) {
  for (const EnvironmentEntry& entry : table) {
    if (!name.empty() && entry.name.view() == name) return &entry;
  }
  return nullptr;
}

void expand_into(std::span<const EnvironmentEntry> table, std::string_view value,
                 std::vector<const EnvironmentEntry*>& active, std::string& out,
                 std::size_t limit) {
  std::size_t i = 0;
  while (i < value.size() && out.size() < limit) {
    const char c = value[i];
    std::size_t name_begin = 0, name_end = 0, after = 0;
    if (c == '$') {
      name_begin = i + 1;
      name_end = name_begin;
      while (name_end < value.size() && is_name_char(value[name_end])) ++name_end;
      after = name_end;
    } else if (c == '%') {
      name_begin = i + 1;
      name_end = value.find('%', name_begin);
      if (name_end == std::string_view::npos) name_end = name_begin;  // no closing "%"
      after = name_end + 1;
    }
    const EnvironmentEntry* entry = nullptr;
    if (name_end > name_begin) {
      entry = find_entry(table, value.substr(name_begin, name_end - name_begin));
    }
    if (entry == nullptr || std::find(active.begin(), active.end(), entry) != active.end()) {
      if (entry != nullptr || name_end > name_begin) {
        out.append(value.substr(i, after - i));  // kept as written
        i = after;
      } else {
        out.push_back(c);
        ++i;
      }
      continue;
    }
    active.push_back(entry);
    expand_into(table, entry->value.view(), active, out, limit);
    active.pop_back();
    i = after;
  }
  if (out.size() > limit) out.resize(limit);
}

}  // namespace

std::string expand_environment_value(std::span<const EnvironmentEntry> table,
                                     std::string_view value, const EnvironmentEntry* self,
                                     std::size_t limit) {
  std::string out;
  std::vector<const EnvironmentEntry*> active;
  // The entry whose value is expanded counts as active, so that "PATH=$PATH:x" keeps its
  // own reference instead of expanding without end.
  if (self != nullptr) active.push_back(self);
  expand_into(table, value, active, out, limit);
  return out;
}

}  // namespace kovw::shell
