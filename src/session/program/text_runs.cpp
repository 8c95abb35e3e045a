#include "session/program/text_runs.h"

#include "session/program/text_cells.h"

namespace kovw::session {

std::vector<TextRun> cut_runs(std::span<const std::uint32_t> cells) {
  constexpr std::uint32_t kCompared = ~(kAttrFieldStart | kAttrBit12);
  std::vector<TextRun> runs;
  std::size_t start = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const std::uint32_t current = cell_attribute(cells[i]);
    bool ends = i + 1 == cells.size() || (current & kAttrButton) != 0;
    if (!ends) {
      const std::uint32_t next = cell_attribute(cells[i + 1]);
      if ((next & kAttrFieldStart) != 0) {
        ends = true;
      } else if ((current & kAttrElement) != 0 && (next & kAttrElement) != 0) {
        ends = false;
      } else {
        ends = (current & kCompared) != (next & kCompared);
      }
    }
    if (ends) {
      const std::uint32_t attribute = cell_attribute(cells[start]) | (current & kAttrButton);
      runs.push_back(TextRun{static_cast<int>(start), static_cast<int>(i + 1 - start), attribute});
      start = i + 1;
    }
  }
  return runs;
}

}  // namespace kovw::session
