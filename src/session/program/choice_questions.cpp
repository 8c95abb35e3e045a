#include "session/program/choice_questions.h"

#include "dialogs/choice_dialogs.h"
#include "dialogs/path_choice.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "protocol/program/host_requests.h"
#include "session/program/command_table.h"
#include "session/program/handler_context.h"
#include "session/program/request_failures.h"
#include "session/program/session_host.h"
#include "session/window_registry.h"

namespace kovw::session {

namespace {

QString from_host(const std::string& text, int flags) {
  return QString::fromStdU16String(foundation::host_to_wide(text, flags));
}

dialogs::DialogOwner owner_of(const HandlerContext& context) {
  const std::int64_t main_window = context.main_window;
  return [main_window] { return registered_window(main_window); };
}

void handle_date_question(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_kgetdate(payload);
  if (!request) {
    answer_unreadable_request(context.replies, net::KWK_KGETDATE, request.error());
    return;
  }
  const QString title = from_host(request->title, context.text_flags);
  auto answer = dialogs::ask_date(*request, title, owner_of(context));
  if (!answer) {
    foundation::show_message(nullptr, 0, 0, title.toUtf8().constData(),
                             "Fehler %d beim Anzeigen Datum-Info", 0);
    answer = protocol::cancelled_date(*request);
  }
  context.replies.send(protocol::build_date_answer(*answer));
}

// The file dialog of kinds 33 and 37, or the folder choice of kind 34; the chosen local path,
// or nothing when cancelled.
std::optional<QString> choose_path(HandlerContext& context, const protocol::KGetFname& request,
                                   std::int32_t kind) {
  dialogs::PathDialogSetup setup;
  setup.kind = kind;
  setup.title = from_host(request.title, context.text_flags);
  const QString start =
      dialogs::local_start_path(from_host(request.start_path, context.text_flags), request.flags);
  if (kind == dialogs::kPathFolder) {
    QString folder = start;
    if (folder.isEmpty() && context.host.load_choose_directory)
      folder = QString::fromStdString(context.host.load_choose_directory());
    setup.folder = folder;
  } else {
    const dialogs::StartPlace place = dialogs::start_place(start);
    setup.folder = place.folder;
    setup.file = place.file;
    if (!request.filter.empty()) {
      const dialogs::FilterConversion filter = dialogs::convert_host_filter(request.filter);
      if (filter.malformed)
        foundation::show_message(nullptr, 0, 0, dialogs::kPathTitle,
                                 dialogs::kMalformedFilterFormat, request.filter.c_str());
      setup.name_filters = dialogs::name_filters(filter.entries);
    }
  }
  const dialogs::PathOutcome outcome = dialogs::ask_path(setup, owner_of(context));
  if (!outcome.shown) {
    foundation::show_message(nullptr, 0, 0, dialogs::kPathTitle, "%s %d",
                             dialogs::kFileDialogFailedText, 0);
    return std::nullopt;
  }
  if (!outcome.chosen) return std::nullopt;
  if (kind == dialogs::kPathFolder && context.host.save_choose_directory)
    context.host.save_choose_directory(outcome.path.toStdString());
  return outcome.path;
}

void handle_path_question(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_kgetfname(payload);
  if (!request) {
    answer_unreadable_request(context.replies, net::KWK_KGETFNAME, request.error());
    return;
  }
  protocol::FnameAnswer answer;
  answer.option = request->option;
  answer.width = request->width;
  answer.height = request->height;
  answer.x = request->x;
  answer.y = request->y;
  const std::int32_t kind = request->flags & dialogs::kPathKindMask;
  switch (kind) {
    case dialogs::kPathOpenFile:
    case dialogs::kPathSaveFile:
    case dialogs::kPathFolder:
      if (const auto chosen = choose_path(context, *request, kind)) {
        const dialogs::HostPathRule rule{context.host.host_keeps_slash,
                                         context.host.daemon_version};
        answer.path = dialogs::host_answer_path(
            foundation::wide_to_host(chosen->toStdU16String(), context.text_flags), rule,
            request->flags);
        answer.result = protocol::kChoiceChosen;
      }
      break;
    default:
      // The settings selection and the file viewer are not part of this workstation.
      foundation::log_printf("dh_pfadwahl: Auswahl %d nicht unterstuetzt", kind);
      break;
  }
  context.replies.send(protocol::build_fname_answer(answer));
}

}  // namespace

void register_choice_question_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KGETDATE, [](HandlerContext& context, const Command& command) {
    handle_date_question(context, command.payload);
  });
  table.add(net::KWD_KOMM, net::KWK_KGETFNAME, [](HandlerContext& context, const Command& command) {
    handle_path_question(context, command.payload);
  });
}

}  // namespace kovw::session
