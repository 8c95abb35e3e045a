#include "session/program/clipboard_commands.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <string>
#include <utility>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/link_message.h"
#include "platform/gui_call.h"
#include "protocol/program/host_requests.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/window_messages.h"

#include "net/link_names.h"
#include "session/program/command_table.h"

namespace kovw::session {

namespace {

// The answer's data must fit into one frame with the answer's two integer items.
constexpr std::size_t kClipDataMax = net::kMaxFrameLength - 64;

protocol::Bytes host_bytes(const ProgramSession& session, const QString& text) {
  const std::string host =
      foundation::wide_to_host(text.toStdU16String(), session.host_text_flags());
  return {host.begin(), host.end()};
}

// The clipboard's text, empty when it holds none or cannot be reached. The clipboard belongs
// to the GUI thread and the host waits for the answer, so this asks the GUI thread at once.
QString clipboard_text() {
  return platform::gui_call([] {
           const QMimeData* data = QGuiApplication::clipboard()->mimeData();
           return data != nullptr && data->hasText() ? data->text() : QString();
         })
      .value_or(QString());
}

}  // namespace

void handle_set_clipboard(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_ksetclip(payload);
  if (!request) {
    log_parse_failure(request.error());
    return;
  }
  // The text ends at its first zero byte, if it has one.
  const auto& bytes = request->text;
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  const std::string host_text(bytes.begin(), end);
  const QString text =
      QString::fromStdU16String(foundation::host_to_wide(host_text, session.host_text_flags()));
  // The view replaces whatever the clipboard held by the text alone.
  if (!post_to_view(*session.to_view, to_view::Clipboard{text}))
    foundation::log_printf("KSETCLIP: Zwischenablage nicht erreichbar");
}

void handle_get_clipboard(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_kgetclip(payload);
  if (!request) {
    log_parse_failure(request.error());
    return;
  }
  // Files dropped before the request may still wait in the thread's queue behind the link's
  // notification: they are taken in first, and nothing else that waits there.
  if (session.super != nullptr)
    QCoreApplication::sendPostedEvents(session.super, wml_event_type(WML_FILES_DROPPED));

  protocol::ClipAnswer answer;
  answer.kind = *request;
  if (!session.dropped_files.isEmpty()) {
    // Every name ends with CR LF; the list ends with a zero byte. The files are answered once.
    QString names;
    for (const QString& file : std::exchange(session.dropped_files, {}))
      names += file + QStringLiteral("\r\n");
    answer.data = host_bytes(session, names);
    answer.data.push_back(0);
  } else if (const QString text = clipboard_text(); !text.isEmpty()) {
    answer.kind = 1;
    answer.data = host_bytes(session, text);
  }
  if (answer.data.size() > kClipDataMax) {
    foundation::log_printf("KGETCLIP: %zu Bytes passen in keine Antwort", answer.data.size());
    answer.kind = *request;
    answer.data.clear();
  }
  const protocol::Outgoing out = protocol::build_clip_answer(answer);
  dt_send(session, out.service, out.type, out.payload);
}

void register_clipboard_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KSETCLIP, [](ProgramSession& session, const Command& command) {
    handle_set_clipboard(session, command.payload);
  });
  table.add(net::KWD_KOMM, net::KWK_KGETCLIP, [](ProgramSession& session, const Command& command) {
    handle_get_clipboard(session, command.payload);
  });
}

}  // namespace kovw::session
