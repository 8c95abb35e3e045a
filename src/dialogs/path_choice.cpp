#include "dialogs/path_choice.h"

#include <QDir>
#include <QFileInfo>

namespace kovw::dialogs {

QStringList name_filters(const std::vector<FileFilter>& entries) {
  QStringList filters;
  for (const FileFilter& entry : entries) {
    QStringList patterns;
    for (const std::string& pattern : entry.patterns) patterns << QString::fromStdString(pattern);
    // The dialog reads the patterns from the last parentheses; parentheses of the comment would
    // be taken for them.
    QString comment = QString::fromStdString(entry.comment);
    comment.replace(u'(', u'[').replace(u')', u']');
    if (comment.isEmpty()) comment = patterns.join(u' ');
    filters << QStringLiteral("%1 (%2)").arg(comment, patterns.join(u' '));
  }
  return filters;
}

QString local_start_path(const QString& host_path, std::int32_t flags) {
  QString path = host_path;
  // Pairs collapse from the left: three backslashes become two.
  if (flags & kPathDoubledBackslashes) path.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
  path.replace(u'\\', u'/');
  return path;
}

StartPlace start_place(const QString& local_path) {
  if (local_path.isEmpty()) return {};
  const QFileInfo info(local_path);
  if (info.isDir()) return {QDir::cleanPath(info.absoluteFilePath()), {}};
  if (local_path.endsWith(u'/')) return {QDir::cleanPath(local_path), {}};
  const QString folder =
      local_path.contains(u'/') ? QDir::cleanPath(info.absolutePath()) : QString();
  return {folder, info.fileName()};
}

}  // namespace kovw::dialogs
