#include "session/program/local_programs.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <cerrno>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "net/link_names.h"
#include "protocol/program/host_requests.h"
#include "session/program/handler_context.h"
#include "session/program/host_paths.h"
#include "session/program/request_failures.h"

#include "session/program/command_table.h"

namespace kovw::session {

namespace {

constexpr std::int32_t kWaitForEnd = 0x1;
// The longest argument list handed to a program (bytes of all words).
constexpr std::size_t kArgumentsMax = 32767;
constexpr const char* kOpener = "xdg-open";

// Exit codes of the opener.
constexpr int kOpenerFileMissing = 2;

int start_error(int number) {
  return foundation::kStartErrorBase + number;
}

bool has_separator(std::string_view text) {
  return text.find_first_of("/\\") != std::string_view::npos;
}

// "scheme:rest" with a scheme of at least two characters (one letter is a drive).
bool looks_like_url(const QString& text) {
  const qsizetype colon = text.indexOf(u':');
  if (colon < 2 || !text[0].isLetter()) return false;
  for (qsizetype i = 1; i < colon; ++i) {
    const QChar c = text[i];
    if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.')) return false;
  }
  return true;
}

struct Launch {
  QString program;
  QStringList arguments;
  bool opener = false;
  int error = 0;  // a start error found before starting
};

// Decides how `target` is started: directly, through the opener, or not at all.
Launch classify(const QString& target, const QStringList& arguments) {
  Launch launch;
  launch.arguments = arguments;
  if (target.isEmpty()) {
    launch.error = start_error(foundation::kStartFileNotFound);
    return launch;
  }
  if (!target.contains(u'/')) {
    const QString found = QStandardPaths::findExecutable(target);
    if (!found.isEmpty()) {
      launch.program = found;
      return launch;
    }
  }
  const QFileInfo info(target);
  if (info.exists()) {
    if (info.isFile() && info.isExecutable()) {
      launch.program = info.absoluteFilePath();
      return launch;
    }
  } else if (!looks_like_url(target)) {
    const bool folder_exists = info.absoluteDir().exists();
    launch.error = start_error(folder_exists ? foundation::kStartFileNotFound
                                             : foundation::kStartPathNotFound);
    return launch;
  }
  launch.opener = true;
  launch.program = QString::fromLatin1(kOpener);
  launch.arguments = QStringList{target};
  return launch;
}

// Starts `launch`; with `wait` until it ends. Returns the result of the answer.
int run(const Launch& launch, bool wait) {
  QProcess process;
  process.setProgram(launch.program);
  process.setArguments(launch.arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  const int cannot_start = launch.opener ? start_error(foundation::kStartNoAssociation)
                                         : start_error(foundation::kStartBadFormat);
  if (!wait) {
    qint64 pid = 0;
    if (!process.startDetached(&pid)) return cannot_start;
    foundation::log_printf("dh_exec: %s gestartet, pid %lld", qPrintable(launch.program),
                           static_cast<long long>(pid));
    return 0;
  }
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start();
  if (!process.waitForStarted(-1)) return cannot_start;
  // Only this program thread waits; its windows are served by the GUI thread meanwhile.
  process.waitForFinished(-1);
  if (process.state() != QProcess::NotRunning) return 0;
  if (process.exitStatus() == QProcess::CrashExit) return 128 + process.exitCode();
  const int code = process.exitCode();
  if (!launch.opener || code == 0) return code;
  return start_error(code == kOpenerFileMissing ? foundation::kStartFileNotFound
                                                : foundation::kStartNoAssociation);
}

int start_program(const std::string& program_text, const std::string& argument_text, bool wait) {
  std::vector<std::string> words = split_command_words(utf8_of_host(argument_text));
  std::string program = utf8_of_host(program_text);
  if (QString::fromStdString(program).trimmed().compare(u"default", Qt::CaseInsensitive) == 0) {
    if (words.empty()) return start_error(foundation::kStartFileNotFound);
    program = words.front();
    words.erase(words.begin());
  }
  const auto resolved = local_path_of_utf8(program);
  if (!resolved) return foundation::kErrnoErrorBase + ENAMETOOLONG;
  QStringList arguments;
  std::size_t total = 0;
  for (const std::string& word : words) {
    std::optional<std::string> argument = word;
    if (has_separator(word)) argument = local_path_of_utf8(word);
    if (!argument) return foundation::kErrnoErrorBase + ENAMETOOLONG;
    total += argument->size() + 1;
    if (total > kArgumentsMax) return foundation::kErrnoErrorBase + E2BIG;
    arguments.append(QString::fromStdString(*argument));
  }
  const Launch launch = classify(QString::fromStdString(*resolved), arguments);
  foundation::log_printf("dh_exec: '%s' (%s) %lld Argumente%s", resolved->c_str(),
                         launch.opener ? kOpener : "direkt",
                         static_cast<long long>(arguments.size()), wait ? ", warten" : "");
  if (launch.error != 0) return launch.error;
  if (launch.opener && !arguments.isEmpty())
    foundation::log_printf("dh_exec: Argumente werden nicht weitergegeben");
  return run(launch, wait);
}

}  // namespace

std::vector<std::string> split_command_words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word.push_back(c);
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

void handle_start_program(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_kskomm(payload, context.host_version);
  if (!parsed) {
    answer_unreadable_request(context.replies, net::KWK_KSKOMM, parsed.error());
    return;
  }
  const int result =
      start_program(parsed->program, parsed->arguments, (parsed->flags & kWaitForEnd) != 0);
  foundation::log_printf("dh_exec: Ergebnis %d", result);
  const protocol::ExecAnswer answer{foundation::error_text(result, foundation::german()), result};
  const protocol::Outgoing out = protocol::build_exec_answer(answer);
  context.replies.send(out);
}

void register_local_program_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KSKOMM, [](HandlerContext& context, const Command& command) {
    handle_start_program(context, command.payload);
  });
}

}  // namespace kovw::session
