// The file filter text of a path request and the answer path, from arbitrary bytes: the first
// byte selects the answer's form (slash kept, old daemon, doubled backslashes), the rest is the
// text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dialogs/host_file_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::dialogs;
  if (size < 1) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  const FilterConversion conversion = convert_host_filter(text);
  const auto bars = static_cast<std::size_t>(std::count(text.begin(), text.end(), '|'));
  if (conversion.entries.size() > (bars + 1) / 2) __builtin_trap();
  if (conversion.malformed != (bars == 0 || bars % 2 == 0)) __builtin_trap();
  for (const FileFilter& entry : conversion.entries) {
    if (entry.patterns.empty()) __builtin_trap();
    for (const std::string& pattern : entry.patterns)
      if (pattern.empty() || pattern.find_first_of(" \t;|") != std::string::npos) __builtin_trap();
  }

  const HostPathRule rule{(data[0] & 1) != 0, (data[0] & 2) != 0 ? kDaemonSlashVersion : 0};
  const std::int32_t flags = (data[0] & 4) != 0 ? kPathDoubledBackslashes : 0;
  const std::string answer = host_answer_path(text, rule, flags);
  if (answer.size() > 2 * text.size()) __builtin_trap();
  if (!flags && answer.size() != text.size()) __builtin_trap();
  return 0;
}
