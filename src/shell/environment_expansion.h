#pragma once
// The expansion of the environment table's values before they are sent to the daemon after
// the login: references to other entries are replaced by their values.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "shell/settings_record.h"

namespace kovw::shell {

// Expands "$NAME" (letters and digits) and "%NAME%" references to other entries of the
// table, recursively. A reference to an unknown name is kept as written; a reference that
// leads back to an entry being expanded is kept as written too, so that an entry cannot
// expand itself without end; `self` is the entry whose value is expanded (or null). The result
// is cut at `limit` bytes.
std::string expand_environment_value(std::span<const EnvironmentEntry> table,
                                     std::string_view value, const EnvironmentEntry* self = nullptr,
                                     std::size_t limit = 4096);

}  // namespace kovw::shell
