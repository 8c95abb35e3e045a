#include "graphics/font_metrics.h"

#include <QFontMetricsF>
#include <QList>
#include <QRawFont>
#include <QString>
#include <cmath>

#include "foundation/host_text.h"

namespace kovw::graphics {

namespace {

constexpr int kWideCount = 65536;

std::int32_t fixed(double value, double factor) {
  return static_cast<std::int32_t>(std::lround(value * factor));
}

QFontMetricsF metrics_of(const QFont& font, const QPaintDevice* device) {
  // QFontMetricsF takes a non-const device only to read its resolution.
  return device ? QFontMetricsF(font, const_cast<QPaintDevice*>(device)) : QFontMetricsF(font);
}

}  // namespace

FontMetrics measure_font(const QFont& font, const QPaintDevice* device, bool with_wide_widths) {
  const QFontMetricsF fm = metrics_of(font, device);
  FontMetrics m;
  m.height = fixed(fm.height(), 100);
  m.descent = fixed(fm.descent(), 100);
  m.ascent = fixed(fm.ascent(), 100);
  const QString sample = QString::fromUtf16(kAverageSample);
  m.average_width = fixed(fm.horizontalAdvance(sample) / sample.size(), 1600);
  for (std::size_t i = 0; i < kMetricCharacters.size(); ++i)
    m.character_widths[i] = fixed(fm.horizontalAdvance(QChar(kMetricCharacters[i])), 1600);
  for (int byte = 0; byte < 256; ++byte) {
    const char16_t c = foundation::ansi_to_wide(static_cast<unsigned char>(byte));
    m.byte_widths[static_cast<std::size_t>(byte)] = fixed(fm.horizontalAdvance(QChar(c)), 16);
  }
  for (int c = 0; c < 256; ++c) {
    m.latin1_advances[static_cast<std::size_t>(c)] =
        static_cast<float>(fm.horizontalAdvance(QChar(static_cast<char16_t>(c))));
  }
  if (with_wide_widths) measure_wide_widths(m, font, device);
  return m;
}

void measure_wide_widths(FontMetrics& metrics, const QFont& font, const QPaintDevice* device) {
  // The font's own advances, glyph by glyph in one pass; a character the font lacks gets the
  // width of its missing-glyph box, as texts laid out by these widths will show it.
  (void)device;  // pixel sizes do not depend on the device's resolution
  const QRawFont raw = QRawFont::fromFont(font);
  metrics.wide_widths.assign(kWideCount, 0);
  if (!raw.isValid()) return;
  QList<QChar> characters;
  characters.reserve(kWideCount);
  for (int c = 0; c < kWideCount; ++c) {
    const QChar ch(static_cast<char16_t>(c));
    characters.append(ch.isSurrogate() ? QChar(u' ') : ch);
  }
  QList<quint32> glyphs(kWideCount);
  int count = kWideCount;
  if (!raw.glyphIndexesForChars(characters.constData(), kWideCount, glyphs.data(), &count) ||
      count != kWideCount)
    return;
  QList<QPointF> advances(kWideCount);
  if (!raw.advancesForGlyphIndexes(glyphs.constData(), advances.data(), kWideCount,
                                   QRawFont::SeparateAdvances))
    return;
  for (int c = 0; c < kWideCount; ++c) {
    // Halves of surrogate pairs have no width of their own.
    if (QChar(static_cast<char16_t>(c)).isSurrogate()) continue;
    metrics.wide_widths[static_cast<std::size_t>(c)] = fixed(advances[c].x(), 16);
  }
}

}  // namespace kovw::graphics
