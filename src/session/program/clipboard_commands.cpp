#include "session/program/clipboard_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <string>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/link_message.h"
#include "platform/gui_call.h"
#include "protocol/program/host_requests.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/view/program_view.h"

namespace kovw::session {

namespace {

// The answer's data must fit into one frame with the answer's two integer items.
constexpr std::size_t kClipDataMax = net::kMaxFrameLength - 64;

// What the GUI thread finds for KGETCLIP.
struct ClipContents {
  QStringList dropped_files;
  QString text;  // empty when the clipboard holds no text
};

protocol::Bytes host_bytes(const ProgramSession& session, const QString& text) {
  const std::string host =
      foundation::wide_to_host(text.toStdU16String(), session.host_text_flags());
  return {host.begin(), host.end()};
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
  // Replaces whatever the clipboard held by the text alone.
  if (!platform::run_on_gui_thread([&text] { QGuiApplication::clipboard()->setText(text); }))
    foundation::log_printf("KSETCLIP: Zwischenablage nicht erreichbar");
}

void handle_get_clipboard(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_kgetclip(payload);
  if (!request) {
    log_parse_failure(request.error());
    return;
  }
  const std::optional<ClipContents> contents =
      platform::gui_call([content_window = session.content_window] {
        ClipContents found;
        if (auto* content = dynamic_cast<ContentWindow*>(ProgramView::widget_for(content_window)))
          found.dropped_files = content->take_dropped_files();
        if (found.dropped_files.isEmpty()) {
          const QMimeData* data = QGuiApplication::clipboard()->mimeData();
          if (data != nullptr && data->hasText()) found.text = data->text();
        }
        return found;
      });

  protocol::ClipAnswer answer;
  answer.kind = *request;
  if (contents && !contents->dropped_files.isEmpty()) {
    // Every name ends with CR LF; the list ends with a zero byte.
    QString names;
    for (const QString& file : contents->dropped_files) names += file + QStringLiteral("\r\n");
    answer.data = host_bytes(session, names);
    answer.data.push_back(0);
  } else if (contents && !contents->text.isEmpty()) {
    answer.kind = 1;
    answer.data = host_bytes(session, contents->text);
  }
  if (answer.data.size() > kClipDataMax) {
    foundation::log_printf("KGETCLIP: %zu Bytes passen in keine Antwort", answer.data.size());
    answer.kind = *request;
    answer.data.clear();
  }
  const protocol::Outgoing out = protocol::build_clip_answer(answer);
  dt_send(session, out.service, out.type, out.payload);
}

}  // namespace kovw::session
