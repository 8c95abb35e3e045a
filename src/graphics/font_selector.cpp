#include "graphics/font_selector.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>
#include <cmath>
#include <cstdlib>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "platform/font_substitution.h"

namespace kovw::graphics {

namespace {

constexpr const char* kFontCaption = "KOVW Font";
constexpr const char* kFallbackFace = "Courier New";
constexpr int kMaxPixels = 4000;
constexpr int kFallbackTenths = 100;
constexpr int kFallbackPixels = 16;
constexpr int kMessageFontNotFound = 10076;
constexpr int kMessageSizeNotFound = 10018;
constexpr int kMessageNotLoadable = 10059;
constexpr int kMessageCharCount = 10122;
constexpr int kErrorNoFonts = 2;  // the system error reported when no font exists at all

QString wide(const std::string& host) {
  return QString::fromStdU16String(foundation::host_to_wide(host));
}

std::string host(const QString& text) {
  return foundation::wide_to_host(text.toStdU16String());
}

bool font_trace_wanted(bool trace) {
  return trace || std::getenv("TFONT") != nullptr;
}

QFont device_font(const QString& family, int pixels) {
  QFont font(family);
  font.setPixelSize(pixels);
  // Widths must add up: the host lays texts out from single character widths, so neither
  // kerning nor ligatures may change them.
  font.setKerning(false);
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

}  // namespace

int FontSelector::select(const FontRequest& request, const FontWindowFacts& facts,
                         const FontNameTable& names, FontOrigin origin, bool wide_widths,
                         bool trace) {
  trace = font_trace_wanted(trace);
  if (trace) {
    foundation::log_printf("dwscr(fnr=%d,fpkt=%d,opt=%x,attr=%x)", request.number, request.size,
                           request.options, request.attribute);
  }
  const AverageWidthOf average = [this](const std::string& face, double pixel_size) {
    const QFont font = device_font(platform::substitute_font_family(wide(face)),
                                   std::max(1, static_cast<int>(std::lround(pixel_size))));
    return measure_font(font, device_, false).average_pixels();
  };
  const std::optional<FontChoice> choice = choose_font(request, facts, names, average);
  if (!choice) {
    if (trace) foundation::log_printf("DIGRAW: Keine Schrift für Nr. %d", request.number);
    return kNoFont;
  }
  if (choice->count_below_one) {
    foundation::log_printf("DIGRA: Font wrong char count fanz. Name:%s, fanz %d",
                           choice->face.c_str(), request.size);
    if (origin == FontOrigin::Drawing) {
      foundation::show_message_number(nullptr, 0, 0, kFontCaption, kMessageCharCount,
                                      choice->face.c_str(), request.size);
    }
  }
  const int pixels = static_cast<int>(std::lround(choice->pixel_size));
  const FontKey key{choice->face, pixels, choice->attribute};
  if (std::shared_ptr<CachedFont> found = cache_.find(key)) {
    if (trace) {
      foundation::log_printf("DIGRAW: Font %s gefunden, Nr. %d, Handle %lx", choice->face.c_str(),
                             choice->number, found->handle);
    }
    if (wide_widths && found->metrics.wide_widths.empty())
      measure_wide_widths(found->metrics, found->font, device_);
    current_ = std::move(found);
    return 0;
  }
  if (trace)
    foundation::log_printf("DIGRAW: Suche Font %s/%d", choice->face.c_str(), choice->tenths);

  std::shared_ptr<CachedFont> made = make_font(*choice, pixels, origin, trace);
  if (!made) return current_ ? 0 : kNoFont;
  if (made->key != key) {
    // A stand-in for a font that cannot be made, kept under its own key.
    if (std::shared_ptr<CachedFont> known = cache_.find(made->key)) made = std::move(known);
  }
  if (wide_widths && made->metrics.wide_widths.empty())
    measure_wide_widths(made->metrics, made->font, device_);
  if (!cache_.find(made->key)) {
    unsigned long replaced = 0;
    const int slot = cache_.store(made, replaced);
    if (replaced != 0)
      foundation::log_printf("DIGRAW: Font %d ersetzt. Handle %lx", slot, replaced);
  }
  current_ = std::move(made);
  return 0;
}

std::shared_ptr<CachedFont> FontSelector::make_font(const FontChoice& choice, int pixels,
                                                    FontOrigin origin, bool trace) {
  const bool show = origin == FontOrigin::Drawing;
  if (QFontDatabase::families().isEmpty()) {
    foundation::log_printf("DIGRA: Font not loadable. Name:%s. Fehler %d", choice.face.c_str(),
                           kErrorNoFonts);
    if (show) {
      foundation::show_message_number(nullptr, 0, 0, kFontCaption, kMessageNotLoadable,
                                      choice.face.c_str(), kErrorNoFonts);
    }
    return nullptr;
  }
  const std::string asked = choice.face.empty() ? std::string(kFallbackFace) : choice.face;
  if (pixels < 1 || pixels > kMaxPixels) {
    // No font of that size can be made: keep the font in use, or fall back to Courier New.
    foundation::log_printf("DIGRA: Font not loadable. Name:%s. Fehler %d", asked.c_str(), pixels);
    if (show) {
      foundation::show_message_number(nullptr, 0, 0, kFontCaption, kMessageSizeNotFound,
                                      asked.c_str(), choice.tenths / 10,
                                      std::abs(choice.tenths % 10));
    }
    if (current_) return nullptr;
    return make_font(FontChoice{kFallbackFace, choice.number, kFallbackTenths, kFallbackPixels,
                                choice.attribute},
                     kFallbackPixels, origin, trace);
  }
  const platform::FontSubstitute substitute = platform::font_substitute(wide(asked));
  QFont font = device_font(substitute.family, pixels);
  QString family = QFontInfo(font).family();
  if (family.compare(QLatin1String("wingdings"), Qt::CaseInsensitive) == 0 &&
      substitute.family.compare(family, Qt::CaseInsensitive) != 0) {
    font =
        device_font(platform::substitute_font_family(QString::fromLatin1(kFallbackFace)), pixels);
    family = QFontInfo(font).family();
  }
  const bool same = family.compare(wide(asked), Qt::CaseInsensitive) == 0;
  const bool compatible =
      substitute.metric_compatible && family.compare(substitute.family, Qt::CaseInsensitive) == 0;
  if (!same && !compatible) {
    const std::string used = host(family);
    foundation::log_printf("DIGRA: Font %s. Use %s", asked.c_str(), used.c_str());
    if (show) {
      foundation::show_message_number(nullptr, 0, 0, kFontCaption, kMessageFontNotFound,
                                      asked.c_str(), used.c_str());
    }
  }
  auto made = std::make_shared<CachedFont>();
  made->key = FontKey{choice.face, pixels, choice.attribute};
  made->number = choice.number;
  made->tenths = choice.tenths;
  made->handle = next_handle_++;
  made->font = font;
  made->family = family;
  made->face_name = same || compatible ? asked : host(family);
  made->metrics = measure_font(font, device_, false);
  return made;
}

}  // namespace kovw::graphics
