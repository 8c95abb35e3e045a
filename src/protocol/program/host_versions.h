#pragma once
// Host library versions (0xMMmmpp) from which program-link messages carry their optional
// items.

#include <cstdint>

#include "net/link_names.h"

namespace kovw::protocol {

// Assumed when KWK_KINIT carries no version.
inline constexpr std::int32_t kDefaultHostVersion = 0x020400;

// KWK_KINIT tail items.
inline constexpr std::int32_t kVersionParentWindow = 0x030002;
inline constexpr std::int32_t kVersionEmbedFlag = 0x042400;
inline constexpr std::int32_t kVersionLinkTimeout = 0x060504;
// KWK_KSKOMM flags item.
inline constexpr std::int32_t kVersionExecFlags = 0x040709;
// KWK_GPOS window id item.
inline constexpr std::int32_t kVersionPositionWindow = 0x040002;
// KWK_GFONT answer: compressed glyph table.
inline constexpr std::int32_t kVersionGlyphTable = 0x060D02;
// KWK_SRETC answers of the graphics stream.
inline constexpr std::int32_t kVersionLastStreamRetc = 0x050302;
inline constexpr std::int32_t kVersionRetcAfterBoth = 0x041006;
inline constexpr std::int32_t kVersionRetcAfterLength = 0x041005;
// Screen definition tail items.
inline constexpr std::int32_t kVersionLanguageDigit = 0x040607;
inline constexpr std::int32_t kVersionWideCommand = 0x04180E;
inline constexpr std::int32_t kVersionLowIconOffset = 0x04130B;
inline constexpr std::int32_t kVersionOptionChars = 0x030D06;
inline constexpr std::int32_t kVersionScreenOptions = 0x040505;
inline constexpr std::int32_t kVersionIconSizes = 0x041E07;
inline constexpr std::int32_t kVersionExtendedOptions = 0x060B00;

// Program-link message types used unqualified in this layer (defined in the name table).
using net::KWK_GFONTSLOT;
using net::KWK_GSPEECH;
using net::KWK_KFONTLIST;
using net::KWK_KGETPRINTER;
using net::KWK_KRECONNECT;
using net::KWK_KSENDPRINTER;

}  // namespace kovw::protocol
