#include "session/program/font_list.h"

#include <QChar>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>
#include <algorithm>

#include "foundation/log.h"
#include "net/link_names.h"
#include "protocol/program/host_requests.h"
#include "session/program/handler_context.h"
#include "session/program/host_paths.h"
#include "session/program/request_failures.h"

#include "session/program/command_table.h"

namespace kovw::session {

namespace {

constexpr std::int32_t kAnyCharacterSet = 1;
constexpr std::int32_t kCharacterSetFlag = 0x1;
// Families answered at most (a frame stays far below the link's limit).
constexpr std::size_t kFontsMax = 8192;

// The script a character set number asks for; Any for the default set and unknown numbers.
QFontDatabase::WritingSystem writing_system_of(int character_set) {
  switch (character_set) {
    case 0:    // ANSI
    case 162:  // Turkish
    case 186:  // Baltic
    case 238:  // East European
      return QFontDatabase::Latin;
    case 2:
      return QFontDatabase::Symbol;
    case 128:
      return QFontDatabase::Japanese;
    case 129:
    case 130:
      return QFontDatabase::Korean;
    case 134:
      return QFontDatabase::SimplifiedChinese;
    case 136:
      return QFontDatabase::TraditionalChinese;
    case 161:
      return QFontDatabase::Greek;
    case 163:
      return QFontDatabase::Vietnamese;
    case 177:
      return QFontDatabase::Hebrew;
    case 178:
      return QFontDatabase::Arabic;
    case 204:
      return QFontDatabase::Cyrillic;
    case 222:
      return QFontDatabase::Thai;
    default:
      return QFontDatabase::Any;
  }
}

std::uint32_t scripts_of(const QString& family) {
  std::uint32_t scripts = 0;
  for (const QFontDatabase::WritingSystem system : QFontDatabase::writingSystems(family)) {
    switch (system) {
      case QFontDatabase::Latin:
        scripts |= protocol::kScriptLatin;
        break;
      case QFontDatabase::Greek:
        scripts |= protocol::kScriptGreek;
        break;
      case QFontDatabase::Cyrillic:
        scripts |= protocol::kScriptCyrillic;
        break;
      case QFontDatabase::Hebrew:
        scripts |= protocol::kScriptHebrew;
        break;
      case QFontDatabase::Arabic:
        scripts |= protocol::kScriptArabic;
        break;
      case QFontDatabase::Thai:
        scripts |= protocol::kScriptThai;
        break;
      case QFontDatabase::Japanese:
        scripts |= protocol::kScriptJapanese;
        break;
      case QFontDatabase::Korean:
        scripts |= protocol::kScriptKorean;
        break;
      case QFontDatabase::SimplifiedChinese:
        scripts |= protocol::kScriptSimplifiedChinese;
        break;
      case QFontDatabase::TraditionalChinese:
        scripts |= protocol::kScriptTraditionalChinese;
        break;
      case QFontDatabase::Symbol:
        scripts |= protocol::kScriptSymbol;
        break;
      case QFontDatabase::Vietnamese:
        scripts |= protocol::kScriptVietnamese;
        break;
      default:
        break;
    }
  }
  return scripts;
}

// The family's upright face of normal weight, else its first face.
QString regular_style(const QString& family) {
  const QStringList styles = QFontDatabase::styles(family);
  for (const QString& style : styles)
    if (!QFontDatabase::italic(family, style) && QFontDatabase::weight(family, style) == 400)
      return style;
  return styles.isEmpty() ? QString() : styles.front();
}

protocol::FontRecord record_of(const QString& family, int character_set) {
  protocol::FontRecord font;
  const QString style = regular_style(family);
  font.family = host_text_of(family.toStdString(), protocol::kFontRecordFamilySize);
  font.style = host_text_of(style.toStdString(), protocol::kFontRecordStyleSize);
  if (!style.isEmpty()) font.weight = QFontDatabase::weight(family, style);
  if (!style.isEmpty() && QFontDatabase::italic(family, style)) font.flags |= protocol::kFontItalic;
  if (QFontDatabase::isFixedPitch(family, style)) font.flags |= protocol::kFontFixedPitch;
  if (QFontDatabase::isScalable(family, style)) font.flags |= protocol::kFontScalable;
  if (QFontDatabase::isSmoothlyScalable(family, style))
    font.flags |= protocol::kFontSmoothlyScalable;
  if (QFontDatabase::isBitmapScalable(family, style)) font.flags |= protocol::kFontBitmapScalable;
  font.character_set = character_set;
  font.scripts = scripts_of(family);
  return font;
}

}  // namespace

bool font_name_matches(std::u16string_view pattern, std::u16string_view name) {
  // Iterative wildcard match: on a mismatch, let the last "*" take one character more.
  std::size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == u'?' || QChar::toCaseFolded(char32_t{pattern[p]}) ==
                                          QChar::toCaseFolded(char32_t{name[n]}))) {
      ++p;
      ++n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

std::optional<std::vector<protocol::FontRecord>> matching_fonts(std::string_view pattern,
                                                                int character_set) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return std::nullopt;
  const std::u16string wanted =
      QString::fromUtf8(pattern.data(), static_cast<qsizetype>(pattern.size())).toStdU16String();
  QStringList families = QFontDatabase::families(writing_system_of(character_set));
  families.sort(Qt::CaseInsensitive);
  std::vector<protocol::FontRecord> fonts;
  for (const QString& family : families) {
    if (QFontDatabase::isPrivateFamily(family)) continue;
    // A family offered by several foundries is named "Family [Foundry]": both forms match.
    const QString plain = family.section(QStringLiteral(" ["), 0, 0);
    if (!wanted.empty() && !font_name_matches(wanted, family.toStdU16String()) &&
        !font_name_matches(wanted, plain.toStdU16String()))
      continue;
    fonts.push_back(record_of(family, character_set));
    if (fonts.size() == kFontsMax) break;
  }
  return fonts;
}

void handle_font_list(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_kfontlist(payload);
  if (!parsed) {
    answer_unreadable_request(context.replies, net::KWK_KFONTLIST, parsed.error());
    return;
  }
  const int character_set =
      (parsed->flags & kCharacterSetFlag) ? parsed->character_set : kAnyCharacterSet;
  const auto fonts = matching_fonts(utf8_of_host(parsed->pattern), character_set);
  protocol::FontListAnswer answer;
  if (!fonts) {
    answer.count = -1;
  } else {
    answer.count = static_cast<std::int32_t>(fonts->size());
    for (const protocol::FontRecord& font : *fonts)
      protocol::append_font_record(answer.records, font);
  }
  foundation::log_printf("dh_fontlist '%s' Zeichensatz %d: %d", parsed->pattern.c_str(),
                         character_set, answer.count);
  const protocol::Outgoing out = protocol::build_fontlist_answer(answer);
  context.replies.send(out);
}

void register_font_list_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KFONTLIST, [](HandlerContext& context, const Command& command) {
    handle_font_list(context, command.payload);
  });
}

}  // namespace kovw::session
