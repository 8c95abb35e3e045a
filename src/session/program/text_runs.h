#pragma once
// The cut of a text screen row into drawing runs: stretches of cells that are drawn together
// with one font, one pair of colours and one element frame.

#include <cstdint>
#include <span>
#include <vector>

namespace kovw::session {

struct TextRun {
  int first_column = 0;
  int count = 0;  // cells
  // The attribute of the run's first cell, plus the button bits (drop-down, "more") of its
  // last cell: a button occupies the last cell of its field.
  std::uint32_t attribute = 0;

  friend bool operator==(const TextRun&, const TextRun&) = default;
};

// Cuts `cells` (one row) into runs. A run extends over the following cells with the same
// attribute, ignoring the field-start bit and bit 12; while both cells lie inside an element
// (raised, sunken, drop-down or "more"), it extends whatever their attributes until a cell
// carries the field-start bit. A cell with the field-start bit always begins a run, and a cell
// with a button bit ends its run.
std::vector<TextRun> cut_runs(std::span<const std::uint32_t> cells);

}  // namespace kovw::session
