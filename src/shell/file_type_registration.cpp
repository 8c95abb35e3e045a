#include "shell/file_type_registration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>

#include "foundation/log.h"
#include "foundation/path_synonyms.h"
#include "platform/registry.h"

namespace kovw::shell {

using foundation::log_printf;

namespace {

// The entries of the parameter-file type, in the order they are applied. The menu verbs
// are German in the stored data, as the registered program always had them.
constexpr std::string_view kRegistrationScript = R"([HVKOVW.1\shell\open\command]
@=$$' "%1"'
[HVKOVW.1\DefaultIcon]
@=$$
[.kovw]
@='HVKOVW.1'
'Content Type'='application/kovw'
[HVKOVW.1]
@='KOVW Parameter'
[HVKOVW.1\shell]
@='open'
[HVKOVW.1\shell\edit]
@='&Bearbeiten'
[HVKOVW.1\shell\edit\command]
@=<SystemRoot\system32\NOTEPAD.EXE>' %1'
[HVKOVW.1\shell\open]
@='&Aufrufen'
[HVKOVW.1\shell\print]
[HVKOVW.1\shell\print\command]
@=<SystemRoot\system32\NOTEPAD.EXE>' /p %1'
)";

constexpr std::string_view kRemovalScript = R"(#HVKOVW.1\shell\print\command
#HVKOVW.1\shell\print
#HVKOVW.1\shell\open\command
#HVKOVW.1\shell\open
#HVKOVW.1\shell\edit\command
#HVKOVW.1\shell\edit
#HVKOVW.1\shell
#HVKOVW.1\DefaultIcon
#HVKOVW.1
#.kovw
)";

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// Parses the value after "=": parts, or a number.
bool parse_value(std::string_view text, ScriptLine& line, std::string& reason) {
  if (text.empty()) {
    reason = "value missing";
    return false;
  }
  if (text.front() != '$' && text.front() != '\'' && text.front() != '<') {
    const std::string number(text);
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(number.c_str(), &end, 0);
    if (errno != 0 || end == number.c_str() || *end != '\0' || value > 0xFFFFFFFFull) {
      reason = "not a number";
      return false;
    }
    line.is_number = true;
    line.number = static_cast<std::uint32_t>(value);
    return true;
  }
  while (!text.empty()) {
    if (text.substr(0, 2) == "$$") {
      line.parts.push_back({ScriptValuePart::Kind::Executable, {}});
      text.remove_prefix(2);
    } else if (text.front() == '\'' || text.front() == '<') {
      const char close = text.front() == '\'' ? '\'' : '>';
      const std::size_t end = text.find(close, 1);
      if (end == std::string_view::npos) {
        reason = close == '\'' ? "unterminated quote" : "unterminated path";
        return false;
      }
      line.parts.push_back(
          {close == '\'' ? ScriptValuePart::Kind::Literal : ScriptValuePart::Kind::Path,
           std::string(text.substr(1, end - 1))});
      text.remove_prefix(end + 1);
    } else {
      reason = "unexpected character in value";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string_view registration_script() {
  return kRegistrationScript;
}
std::string_view removal_script() {
  return kRemovalScript;
}

std::optional<std::vector<ScriptLine>> parse_registration_script(std::string_view script,
                                                                 std::string* error) {
  std::vector<ScriptLine> lines;
  std::string current_key;
  bool have_key = false;
  int number = 0;
  auto fail = [&](const std::string& reason) -> std::optional<std::vector<ScriptLine>> {
    if (error) *error = "line " + std::to_string(number) + ": " + reason;
    return std::nullopt;
  };
  while (!script.empty()) {
    ++number;
    const std::size_t end = script.find('\n');
    std::string_view text = trim(script.substr(0, end));
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    if (text.empty()) continue;

    ScriptLine line;
    if (text.front() == '[') {
      if (text.back() != ']' || text.size() < 3) return fail("key not closed by ']'");
      line.op = ScriptLine::Op::OpenKey;
      line.key = std::string(text.substr(1, text.size() - 2));
      current_key = line.key;
      have_key = true;
    } else if (text.front() == '#') {
      line.op = ScriptLine::Op::DeleteKey;
      line.key = std::string(trim(text.substr(1)));
      if (line.key.empty()) return fail("key to delete missing");
    } else {
      if (!have_key) return fail("value outside a key");
      line.op = ScriptLine::Op::SetValue;
      line.key = current_key;
      std::string_view rest;
      if (text.substr(0, 2) == "@=") {
        rest = text.substr(2);
      } else if (text.front() == '\'') {
        const std::size_t close = text.find('\'', 1);
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != '=') {
          return fail("quoted value name not followed by '='");
        }
        line.value_name = std::string(text.substr(1, close - 1));
        rest = text.substr(close + 2);
      } else {
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || equals == 0) return fail("'=' missing");
        line.value_name = std::string(trim(text.substr(0, equals)));
        rest = text.substr(equals + 1);
      }
      std::string reason;
      if (!parse_value(trim(rest), line, reason)) return fail(reason);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<std::string> script_value_text(const ScriptLine& line, std::string_view executable) {
  if (line.is_number) return std::to_string(line.number);
  std::string text;
  for (const ScriptValuePart& part : line.parts) {
    switch (part.kind) {
      case ScriptValuePart::Kind::Executable:
        text += executable;
        break;
      case ScriptValuePart::Kind::Literal:
        text += part.text;
        break;
      case ScriptValuePart::Kind::Path: {
        const auto path = foundation::resolve_path(part.text);
        if (!path) return std::nullopt;
        text += *path;
        break;
      }
    }
  }
  return text;
}

std::optional<FileTypeEntries> file_type_entries(const std::vector<ScriptLine>& script) {
  FileTypeEntries entries;
  auto literal = [](const ScriptLine& line) {
    std::string text;
    for (const auto& part : line.parts) {
      if (part.kind == ScriptValuePart::Kind::Literal) text += part.text;
    }
    return text;
  };
  // The extension names the class; the class's open command is what runs.
  for (const ScriptLine& line : script) {
    if (line.op != ScriptLine::Op::SetValue || line.is_number) continue;
    if (!line.key.empty() && line.key.front() == '.') {
      entries.extension = line.key;
      if (line.value_name.empty()) entries.class_name = literal(line);
      if (line.value_name == "Content Type") entries.content_type = literal(line);
    }
  }
  if (entries.extension.empty() || entries.class_name.empty()) return std::nullopt;
  const std::string open_key = entries.class_name + "\\shell\\open\\command";
  for (const ScriptLine& line : script) {
    if (line.op != ScriptLine::Op::SetValue || line.is_number || !line.value_name.empty()) continue;
    if (line.key == entries.class_name) entries.description = literal(line);
    if (line.key == open_key) entries.open_command = line.parts;
  }
  if (entries.open_command.empty()) return std::nullopt;
  return entries;
}

// Where the registration lives.

namespace {

QString data_home() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return base.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : base;
}

QString config_home() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return base.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : base;
}

}  // namespace

std::string desktop_entry_path() {
#ifdef Q_OS_WIN
  return {};
#else
  return (data_home() + QStringLiteral("/applications/") + QLatin1String(kDesktopEntryName))
      .toStdString();
#endif
}

std::string mime_package_path() {
#ifdef Q_OS_WIN
  return {};
#else
  return (data_home() + QStringLiteral("/mime/packages/kovw.xml")).toStdString();
#endif
}

std::string mimeapps_list_path() {
#ifdef Q_OS_WIN
  return {};
#else
  return (config_home() + QStringLiteral("/mimeapps.list")).toStdString();
#endif
}

namespace {

// The MIME type of the desktop: a type outside the registered trees gets the "x-" prefix.
std::string desktop_mime_type(const std::string& content_type) {
  const std::size_t slash = content_type.find('/');
  if (slash == std::string::npos) return "application/x-kovw";
  const std::string subtype = content_type.substr(slash + 1);
  if (subtype.rfind("x-", 0) == 0 || subtype.rfind("vnd.", 0) == 0) return content_type;
  return content_type.substr(0, slash + 1) + "x-" + subtype;
}

QString xml_escaped(const std::string& text) {
  return QString::fromStdString(text).toHtmlEscaped();
}

// One argument of an Exec line: quoted when it holds reserved characters, "%" doubled, and
// the backslashes of the quoting escaped once more for the desktop file's string value.
QString exec_argument(const QString& argument) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  bool quote = argument.isEmpty();
  for (QChar c : argument) quote = quote || reserved.contains(c);
  QString out;
  for (QChar c : argument) {
    if (c == u'%') {
      out += QStringLiteral("%%");
    } else if (quote && (c == u'"' || c == u'`' || c == u'$')) {
      // "\" escapes the character inside the quotes; the string value doubles it.
      out += QStringLiteral("\\\\");
      out += c;
    } else if (quote && c == u'\\') {
      out += QStringLiteral("\\\\\\\\");
    } else {
      out += c;
    }
  }
  return quote ? u'"' + out + u'"' : out;
}

// The Exec line of the open command: the executable, then the literal arguments with the
// file placeholder "%1" (quoted or not) as the URL field code "%u".
QString exec_line(const FileTypeEntries& entries, const QString& executable) {
  QString line;
  for (const ScriptValuePart& part : entries.open_command) {
    if (part.kind == ScriptValuePart::Kind::Executable) {
      line += exec_argument(executable);
    } else if (part.kind == ScriptValuePart::Kind::Literal) {
      QString text = QString::fromStdString(part.text);
      text.replace(QStringLiteral("\"%1\""), QStringLiteral("%1"));
      const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
      for (const QString& word : words) {
        line += u' ';
        line += word == QStringLiteral("%1") ? QStringLiteral("%u") : exec_argument(word);
      }
    }
  }
  return line;
}

bool write_file(const QString& path, const QByteArray& contents) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(contents);
  return file.commit();
}

// Sets (or, with an empty value, removes ours of) the keys of [Default Applications].
bool update_mimeapps(const QString& path, const QStringList& keys, bool add) {
  QFile file(path);
  QStringList lines;
  if (file.open(QIODevice::ReadOnly)) {
    lines = QString::fromUtf8(file.readAll()).split(u'\n');
    file.close();
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  }
  const QString section = QStringLiteral("[Default Applications]");
  const QString ours = QString::fromLatin1(kDesktopEntryName);
  qsizetype start = lines.indexOf(section);
  if (start < 0) {
    if (!add) return true;
    lines << section;
    start = lines.size() - 1;
  }
  qsizetype end = start + 1;
  while (end < lines.size() && !lines[end].startsWith(u'[')) ++end;
  for (const QString& key : keys) {
    for (qsizetype i = end - 1; i > start; --i) {
      const QString line = lines[i].trimmed();
      if (line.section(u'=', 0, 0).trimmed() != key) continue;
      if (add || line.section(u'=', 1).trimmed() == ours) {
        lines.removeAt(i);
        --end;
      }
    }
    if (add) lines.insert(end++, key + u'=' + ours);
  }
  return write_file(path, (lines.join(u'\n') + u'\n').toUtf8());
}

void notify_desktop() {
  const QString mime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
  if (!mime.isEmpty()) QProcess::startDetached(mime, {data_home() + QStringLiteral("/mime")});
  const QString apps = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
  if (!apps.isEmpty()) {
    QProcess::startDetached(apps, {data_home() + QStringLiteral("/applications")});
  }
}

QString running_executable(const RegistrationOptions& options) {
  if (!options.executable.empty()) return QString::fromStdString(options.executable);
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
  return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

#ifndef Q_OS_WIN
int install(const FileTypeEntries& entries, const QString& executable) {
  const std::string mime_type = desktop_mime_type(entries.content_type);
  const QString desktop =
      QStringLiteral("[Desktop Entry]\nType=Application\nName=KOV Workstation\n") +
      QStringLiteral("Comment=") + QString::fromStdString(entries.description) + u'\n' +
      QStringLiteral("Exec=") + exec_line(entries, executable) + u'\n' +
      QStringLiteral("MimeType=") + QString::fromStdString(mime_type) + u';' +
      QLatin1String(kSchemeMimeType) + QStringLiteral(";\nTerminal=false\nNoDisplay=true\n");
  QString glob = QString::fromStdString(entries.extension);
  const QString xml =
      QStringLiteral(
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
          "  <mime-type type=\"") +
      xml_escaped(mime_type) + QStringLiteral("\">\n    <comment>") +
      xml_escaped(entries.description) + QStringLiteral("</comment>\n") +
      (entries.content_type != mime_type
           ? QStringLiteral("    <alias type=\"") + xml_escaped(entries.content_type) +
                 QStringLiteral("\"/>\n")
           : QString()) +
      QStringLiteral("    <sub-class-of type=\"text/plain\"/>\n    <glob pattern=\"*") +
      glob.toHtmlEscaped() + QStringLiteral("\"/>\n  </mime-type>\n</mime-info>\n");
  bool ok = write_file(QString::fromStdString(mime_package_path()), xml.toUtf8());
  ok = write_file(QString::fromStdString(desktop_entry_path()), desktop.toUtf8()) && ok;
  ok = update_mimeapps(QString::fromStdString(mimeapps_list_path()),
                       {QString::fromStdString(mime_type), QLatin1String(kSchemeMimeType)}, true) &&
       ok;
  return ok ? 0 : -1;
}

int remove(const std::vector<ScriptLine>& removal, const FileTypeEntries& entries) {
  bool ok = true;
  for (const ScriptLine& line : removal) {
    if (line.op != ScriptLine::Op::DeleteKey) continue;
    if (line.key == entries.class_name) {
      QFile::remove(QString::fromStdString(desktop_entry_path()));
      ok = update_mimeapps(QString::fromStdString(mimeapps_list_path()),
                           {QString::fromStdString(desktop_mime_type(entries.content_type)),
                            QLatin1String(kSchemeMimeType)},
                           false) &&
           ok;
    } else if (line.key == entries.extension) {
      QFile::remove(QString::fromStdString(mime_package_path()));
    }
  }
  ok = ok && !QFileInfo::exists(QString::fromStdString(desktop_entry_path())) &&
       !QFileInfo::exists(QString::fromStdString(mime_package_path()));
  return ok ? 0 : -1;
}
#endif

}  // namespace

int register_file_type(int mode) {
  return register_file_type(mode, RegistrationOptions{});
}

int register_file_type(int mode, const RegistrationOptions& options) {
  std::string error;
  const auto script = parse_registration_script(registration_script(), &error);
  const auto removal = parse_registration_script(removal_script(), &error);
  if (!script || !removal) {
    log_printf("register_file_type: %s", error.c_str());
    return -1;
  }
  const auto entries = file_type_entries(*script);
  if (!entries) return -1;
  const QString executable = running_executable(options);
  int result = 0;
#ifdef Q_OS_WIN
  platform::Registry classes(QStringLiteral("Software\\Classes"));
  if (mode == 0) {
    for (const ScriptLine& line : *removal) {
      if (!classes.remove_key(QString::fromStdString(line.key))) result = -1;
    }
  } else if (mode == 1 && classes.key_exists(QString::fromStdString(entries->class_name))) {
    return 1;
  } else {
    for (const ScriptLine& line : *script) {
      const QString key = QString::fromStdString(line.key);
      if (line.op == ScriptLine::Op::OpenKey) {
        classes.create_key(key);
      } else if (line.op == ScriptLine::Op::SetValue) {
        const QString value =
            line.value_name.empty() ? QStringLiteral(".") : QString::fromStdString(line.value_name);
        bool ok = false;
        if (line.is_number) {
          ok = classes.write_dword(key, value, line.number);
        } else if (auto text = script_value_text(line, executable.toStdString())) {
          ok = classes.write_string(key, value, *text);
        }
        if (!ok) result = -1;
      }
    }
  }
#else
  if (mode == 0) {
    result = remove(*removal, *entries);
  } else if (mode == 1 && QFileInfo::exists(QString::fromStdString(desktop_entry_path()))) {
    return 1;
  } else {
    result = install(*entries, executable);
  }
#endif
  if (result != 0) log_printf("register_file_type(%d) fehlgeschlagen", mode);
  if (options.notify) notify_desktop();
  return result;
}

}  // namespace kovw::shell
