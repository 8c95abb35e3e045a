#include "session/view/text_screen_reading.h"

#include <QRegularExpression>

#include "foundation/host_text.h"
#include "session/program/text_cells.h"
#include "session/program/text_runs.h"

namespace kovw::session {

namespace {

bool is_field(std::uint32_t attribute) {
  return (attribute & (kAttrSunken | kAttrDropDown | kAttrMore)) != 0;
}

bool is_element(std::uint32_t attribute) {
  return (attribute & kAttrElement) != 0;
}

}  // namespace

QString row_reading(std::span<const std::uint32_t> cells) {
  QString text;
  text.reserve(static_cast<qsizetype>(cells.size()));
  for (const std::uint32_t cell : cells) {
    const std::uint8_t character = cell_character(cell);
    const bool piece =
        (cell_attribute(cell) & kAttrSemigraphics) != 0 && character >= 'P' && character <= '_';
    text.append(piece ? QChar(u' ') : QChar(foundation::ansi_to_wide(character)));
  }
  return text;
}

QString screen_reading(std::span<const std::uint32_t> cells, int columns, int rows) {
  QString text;
  if (columns <= 0 || rows <= 0 ||
      cells.size() < static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows))
    return text;
  text.reserve(static_cast<qsizetype>(rows) * (columns + 1));
  for (int row = 0; row < rows; ++row) {
    if (row > 0) text.append(u'\n');
    text.append(row_reading(
        cells.subspan(static_cast<std::size_t>(row) * columns, static_cast<std::size_t>(columns))));
  }
  return text;
}

QString label_before(std::span<const std::uint32_t> row, int column) {
  column = std::clamp(column, 0, static_cast<int>(row.size()));
  // Back from the field over the cells that are not part of another element.
  int start = column;
  while (start > 0 && !is_element(cell_attribute(row[static_cast<std::size_t>(start - 1)])))
    --start;
  QString text = row_reading(row.subspan(static_cast<std::size_t>(start),
                                         static_cast<std::size_t>(column - start)))
                     .trimmed();
  // Of text that holds several items, the last one labels the field.
  static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
  const QStringList parts = text.split(gap, Qt::SkipEmptyParts);
  return parts.isEmpty() ? QString() : parts.last();
}

std::optional<ScreenField> field_at(std::span<const std::uint32_t> row, int column) {
  if (column < 0 || column >= static_cast<int>(row.size())) return std::nullopt;
  for (const TextRun& run : cut_runs(row)) {
    if (column < run.first_column || column >= run.first_column + run.count) continue;
    if (!is_field(run.attribute)) return std::nullopt;
    ScreenField field;
    field.first_column = run.first_column;
    field.count = run.count;
    field.label = label_before(row, run.first_column);
    field.contents = row_reading(row.subspan(static_cast<std::size_t>(run.first_column),
                                             static_cast<std::size_t>(run.count)))
                         .trimmed();
    return field;
  }
  return std::nullopt;
}

}  // namespace kovw::session
