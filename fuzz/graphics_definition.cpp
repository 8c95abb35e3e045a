// The graphics window definition: arbitrary payloads are parsed for every mode the first int
// names, across host library versions; a parsed definition builds again and its reply builds,
// and its icon entries and toolbar items decode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "graphics/graphics_definition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static constexpr std::int32_t kVersions[] = {0x030d05, 0x060400, 0x060b00, 0x070305};
  const std::int32_t version = kVersions[data[0] % 4];
  const std::span<const std::uint8_t> payload(data + 1, size - 1);
  const auto parsed = kovw::graphics::parse_graphics_definition(payload, version);
  if (parsed.definition) {
    if (parsed.definition->record.bytes().size() != kovw::graphics::kWindowRecordSize) std::abort();
    const auto again = kovw::graphics::build_graphics_definition(*parsed.definition, true);
    if (again.empty()) std::abort();
    kovw::graphics::build_definition_reply(*parsed.definition, {});
    std::vector<std::string> refused;
    const auto icons = kovw::graphics::definition_icons(*parsed.definition, version, refused);
    if (icons.size() + refused.size() !=
        parsed.definition->icons.size() / kovw::graphics::kIconEntrySize)
      std::abort();
    for (const auto& icon : icons)
      if (icon.data.size() > parsed.definition->icon_data.size()) std::abort();
    kovw::graphics::definition_toolbar_records(*parsed.definition, version);
  }
  return 0;
}
