#include "shell/change_list.h"

#include <QStringList>

namespace kovw::shell {

namespace {

constexpr ChangeEntry kChanges[] = {
    {0x070305, "2026-12-10",
     "Arbeitsplatz mit Qt 6: Anmeldung, Programme, Einstellungen und Protokollanzeige",
     "Workstation on Qt 6: login, programs, settings and log viewer"},
};

}  // namespace

std::span<const ChangeEntry> change_entries() {
  return kChanges;
}

QString change_line(const ChangeEntry& entry, bool in_german) {
  const QString version = QStringLiteral("%1.%2/%3")
                              .arg((entry.version >> 16) & 0xFF)
                              .arg((entry.version >> 8) & 0xFF)
                              .arg(entry.version & 0xFF);
  return version.leftJustified(13, QLatin1Char(' ')) + QLatin1Char('\t') +
         QString::fromUtf8(entry.date) + QLatin1Char(' ') +
         QString::fromUtf8(in_german ? entry.german : entry.english);
}

QString change_list_text(bool in_german) {
  QStringList lines;
  for (const ChangeEntry& entry : kChanges) lines << change_line(entry, in_german);
  return lines.join(QLatin1Char('\n'));
}

}  // namespace kovw::shell
