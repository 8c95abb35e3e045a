// The text screen's output stream: arbitrary bytes, split into several output calls, on a grid
// whose size the first bytes choose (up to beyond 256 columns or rows, where cursor addressing
// takes two bytes). Checks that the cursor, the view and every update stay inside the grid, and
// that a copy of the grid kept by the updates alone (scroll counts and rows) equals the grid.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "session/program/text_runs.h"
#include "session/program/text_screen.h"

using namespace kovw::session;

namespace {

void check(const TextScreen& screen) {
  const TextCursor cursor = screen.cursor();
  if (cursor.column < 0 || cursor.column >= screen.columns() || cursor.row < 0 ||
      cursor.row >= screen.rows()) {
    std::abort();
  }
  const TextView& view = screen.view();
  if (view.first_row < 0 || view.first_row >= screen.rows() || view.first_column < 0 ||
      view.first_column >= screen.columns() || view.rows < 1 || view.rows > screen.rows() ||
      view.columns < 1 || view.columns > screen.columns()) {
    std::abort();
  }
}

// The stream may resize the grid up to 1000 x 1000 cells, and every later update then copies
// and checks the whole grid: such inputs slow the fuzzer down to tens of runs a second. No code
// path depends on a size between these and the sizes the first bytes choose, so the sizes a
// resize asks for (ESC 0x40 'A' a b c d) are clipped to that range; the product keeps its
// limits. Any such byte run is clipped, also where it is not a resize: that only changes bytes
// of the input, never what the screen is allowed to receive.
constexpr int kMaxFuzzColumns = 64;
constexpr int kMaxFuzzRows = 32;

void clip_resizes(std::vector<std::uint8_t>& stream) {
  const auto clip = [](std::uint8_t* high, int limit) {
    const int value = std::min(high[0] << 8 | high[1], limit);
    high[0] = static_cast<std::uint8_t>(value >> 8);
    high[1] = static_cast<std::uint8_t>(value);
  };
  for (std::size_t i = 0; i + 7 <= stream.size(); ++i) {
    if (stream[i] == 27 && stream[i + 1] == 0x40 && stream[i + 2] == 'A') {
      clip(&stream[i + 3], kMaxFuzzColumns);
      clip(&stream[i + 5], kMaxFuzzRows);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // At most one side beyond 256 (the other one then at most 8): each side's cursor addressing is
  // reached alone, and the grid stays small enough that an update of every row is cheap.
  const bool wide = data[0] % 2 != 0;
  const bool tall = !wide && data[1] % 2 != 0;
  TextScreen screen(wide ? 257 + data[0] % 8 : data[0] % (tall ? 8 : 64) + 1,
                    tall ? 257 + data[1] % 4 : data[1] % (wide ? 8 : 32) + 1);
  TextScreenEffects effects;
  // Byte 2 gives the length of the pieces the stream is cut into.
  const std::size_t piece = data[2] % 16 + 1;
  std::vector<std::uint8_t> bytes(data + 3, data + size);
  clip_resizes(bytes);
  std::span<const std::uint8_t> stream(bytes);
  // A painter's copy of the grid, kept by the updates alone.
  int columns = 0, rows = 0;
  std::vector<std::uint32_t> copy;
  while (!stream.empty()) {
    const std::size_t n = std::min(piece, stream.size());
    screen.output(stream.first(n), effects);
    stream = stream.subspan(n);
    check(screen);
    const TextUpdate update = screen.take_update();
    for (const TextRowChange& row : update.rows) {
      if (row.row < 0 || row.row >= update.rows_in_grid || row.first_column < 0 ||
          row.first_column > row.last_column || row.last_column >= update.columns ||
          row.cells.size() != static_cast<std::size_t>(update.columns)) {
        std::abort();
      }
      int covered = 0;
      for (const TextRun& run : cut_runs(row.cells)) {
        if (run.first_column != covered || run.count < 1) std::abort();
        covered += run.count;
      }
      if (covered != update.columns) std::abort();
    }
    if (update.scrolled < 0 || update.scrolled >= std::max(update.rows_in_grid, 1)) std::abort();
    if (update.columns != columns || update.rows_in_grid != rows) {
      columns = update.columns;
      rows = update.rows_in_grid;
      copy.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), kBlankCell);
    } else {
      const auto shift = static_cast<std::ptrdiff_t>(update.scrolled) * columns;
      std::move(copy.begin() + shift, copy.end(), copy.begin());
      std::fill(copy.end() - shift, copy.end(), kBlankCell);
    }
    for (const TextRowChange& row : update.rows)
      std::copy(row.cells.begin(), row.cells.end(),
                copy.begin() + static_cast<std::ptrdiff_t>(row.row) * columns);
    for (int r = 0; r < rows; ++r) {
      const auto cells = screen.row_cells(r);
      if (!std::equal(cells.begin(), cells.end(),
                      copy.begin() + static_cast<std::ptrdiff_t>(r) * columns)) {
        std::abort();
      }
    }
  }
  return 0;
}
