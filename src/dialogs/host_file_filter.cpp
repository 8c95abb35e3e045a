#include "dialogs/host_file_filter.h"

#include <algorithm>

namespace kovw::dialogs {

namespace {

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> split_types(std::string_view types) {
  std::vector<std::string> patterns;
  std::string current;
  for (const char c : types) {
    if (c == ' ' || c == '\t') continue;  // blanks inside a types part are dropped
    if (c == ';') {
      if (!current.empty()) patterns.push_back(std::move(current));
      current.clear();
      continue;
    }
    current += c;
  }
  if (!current.empty()) patterns.push_back(std::move(current));
  return patterns;
}

}  // namespace

FilterConversion convert_host_filter(std::string_view filter) {
  FilterConversion conversion;
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t bar = filter.find('|'); bar != std::string_view::npos;
       bar = filter.find('|', start)) {
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  parts.push_back(filter.substr(start));
  const std::size_t bars = parts.size() - 1;
  conversion.malformed = bars == 0 || bars % 2 == 0;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    FileFilter entry{trimmed(parts[i]), split_types(parts[i + 1])};
    if (entry.patterns.empty()) continue;  // nothing to match: not an entry
    conversion.entries.push_back(std::move(entry));
  }
  return conversion;
}

std::string double_backslashes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + std::size_t(std::count(text.begin(), text.end(), '\\')));
  for (const char c : text) {
    out += c;
    if (c == '\\') out += '\\';
  }
  return out;
}

std::string host_answer_path(std::string_view chosen, const HostPathRule& rule,
                             std::int32_t flags) {
  std::string path(chosen);
  const bool keep = rule.keeps_slash && (rule.daemon_version >= kDaemonSlashVersion ||
                                         (!path.empty() && path.front() == '/'));
  if (!keep) std::replace(path.begin(), path.end(), '/', '\\');
  if (flags & kPathDoubledBackslashes) path = double_backslashes(path);
  return path;
}

}  // namespace kovw::dialogs
