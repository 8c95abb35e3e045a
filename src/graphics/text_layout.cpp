#include "graphics/text_layout.h"

#include <QFontMetricsF>
#include <QString>
#include <algorithm>

#include "foundation/host_text.h"

namespace kovw::graphics {

namespace {

// The index of the decimal separator: the last "." (alignment 2) or "," (4), else the last
// ":"; npos when there is none.
std::size_t separator_index(const std::u16string& text, int alignment) {
  const char16_t wanted = alignment == kAlignDecimalPoint ? u'.' : u',';
  std::size_t at = text.rfind(wanted);
  if (at == std::u16string::npos) at = text.rfind(u':');
  return at;
}

}  // namespace

double TextMeasure::width(std::u16string_view text) const {
  if (latin1_) {
    double sum = 0;
    bool table = true;
    for (const char16_t c : text) {
      if (c >= 256) {
        table = false;
        break;
      }
      sum += (*latin1_)[c];
    }
    if (table) return sum;
  }
  return metrics_.horizontalAdvance(
      QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
}

std::u16string graphics_text(std::string_view bytes, int flags) {
  return foundation::host_to_wide(bytes, flags & kTextUtf8 ? foundation::kTextUtf8 : 0);
}

std::u16string trim_trailing_blanks(std::u16string text, int flags) {
  if (flags & (kTextOpaque | kTextBoxWidth)) return text;
  if (text_alignment(flags) != kAlignLeft) return text;
  const std::size_t end = text.find_last_not_of(u' ');
  if (end == std::u16string::npos) return text.empty() ? text : std::u16string(u" ");
  text.resize(end + 1);
  return text;
}

TextPlacement place_text(const std::u16string& text, double x, double baseline, int flags,
                         double length, const TextMeasure& measure, double average_width) {
  const double width = measure.width(text);
  const bool anchor_end = (flags & kTextAnchorEnd) != 0;
  TextPlacement placement;
  double start = x;
  double drawn_width = width;

  if ((flags & kTextFit) && length > 0 && width > length) {
    placement.horizontal_scale = length / width;
    drawn_width = length;
  }
  const int alignment = text_alignment(flags);
  switch (alignment) {
    case kAlignRight: {
      const double field = length > 0 ? length : drawn_width;
      start = anchor_end ? x - drawn_width : x + field - drawn_width;
      break;
    }
    case kAlignDecimalPoint:
    case kAlignDecimalComma: {
      // The separator's left edge sits the part after it, in average widths, before the right
      // edge; a text without separator ends at the right edge.
      const double right = anchor_end ? x : x + std::max(length, 0.0);
      const std::size_t at = separator_index(text, alignment);
      if (at == std::u16string::npos) {
        start = right - drawn_width;
      } else {
        const double after = static_cast<double>(text.size() - at - 1) * average_width;
        const double separator = measure.width(std::u16string_view(text).substr(at, 1));
        const double before = measure.width(std::u16string_view(text).substr(0, at));
        start = right - after - separator - before * placement.horizontal_scale;
      }
      break;
    }
    case kAlignCentred: {
      const double field = length > 0 ? length : drawn_width;
      start = anchor_end ? x - drawn_width / 2 : x + (field - drawn_width) / 2;
      break;
    }
    case kAlignJustified:
    case kAlignJustifiedToo: {
      const auto blanks = std::count(text.begin(), text.end(), u' ');
      if (length > width && blanks > 0 && placement.horizontal_scale == 1) {
        // Every blank grows by the same amount; the words keep their own widths.
        const double extra = (length - width) / static_cast<double>(blanks);
        double pen = x;
        std::size_t word_start = 0;
        while (word_start <= text.size()) {
          std::size_t word_end = text.find(u' ', word_start);
          if (word_end == std::u16string::npos) word_end = text.size();
          const std::u16string word = text.substr(word_start, word_end - word_start);
          if (!word.empty()) placement.runs.push_back({pen, word});
          pen += measure.width(word);
          if (word_end == text.size()) break;
          pen += measure.width(u" ") + extra;
          word_start = word_end + 1;
        }
        placement.bounds =
            QRectF(x, baseline - measure.ascent(), length, measure.ascent() + measure.descent());
        return placement;
      }
      break;
    }
    default:
      break;
  }
  placement.runs.push_back({start, text});
  placement.bounds =
      QRectF(start, baseline - measure.ascent(), drawn_width, measure.ascent() + measure.descent());
  return placement;
}

}  // namespace kovw::graphics
