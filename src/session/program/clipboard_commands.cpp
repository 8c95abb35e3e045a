#include "session/program/clipboard_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <string>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/link_message.h"
#include "platform/gui_call.h"
#include "protocol/program/host_requests.h"
#include "session/program/handler_context.h"
#include "session/program/program_dispatch.h"

#include "net/link_names.h"
#include "session/program/command_table.h"

namespace kovw::session {

namespace {

// The answer's data must fit into one frame with the answer's two integer items.
constexpr std::size_t kClipDataMax = net::kMaxFrameLength - 64;

protocol::Bytes host_bytes(const HandlerContext& context, const QString& text) {
  const std::string host = foundation::wide_to_host(text.toStdU16String(), context.text_flags);
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

void handle_set_clipboard(HandlerContext& context, std::span<const std::uint8_t> payload) {
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
      QString::fromStdU16String(foundation::host_to_wide(host_text, context.text_flags));
  // The view replaces whatever the clipboard held by the text alone.
  if (!context.view.post(to_view::Clipboard{text}))
    foundation::log_printf("KSETCLIP: Zwischenablage nicht erreichbar");
}

void handle_get_clipboard(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_kgetclip(payload);
  if (!request) {
    log_parse_failure(request.error());
    return;
  }
  protocol::ClipAnswer answer;
  answer.kind = *request;
  // The files dropped since the last request come first, and are answered once.
  const QStringList dropped =
      context.take_dropped_files ? context.take_dropped_files() : QStringList();
  if (!dropped.isEmpty()) {
    // Every name ends with CR LF; the list ends with a zero byte.
    QString names;
    for (const QString& file : dropped) names += file + QStringLiteral("\r\n");
    answer.data = host_bytes(context, names);
    answer.data.push_back(0);
  } else if (const QString text = clipboard_text(); !text.isEmpty()) {
    answer.kind = 1;
    answer.data = host_bytes(context, text);
  }
  if (answer.data.size() > kClipDataMax) {
    foundation::log_printf("KGETCLIP: %zu Bytes passen in keine Antwort", answer.data.size());
    answer.kind = *request;
    answer.data.clear();
  }
  const protocol::Outgoing out = protocol::build_clip_answer(answer);
  context.replies.send(out);
}

void register_clipboard_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KSETCLIP, [](HandlerContext& context, const Command& command) {
    handle_set_clipboard(context, command.payload);
  });
  table.add(net::KWD_KOMM, net::KWK_KGETCLIP, [](HandlerContext& context, const Command& command) {
    handle_get_clipboard(context, command.payload);
  });
}

}  // namespace kovw::session
