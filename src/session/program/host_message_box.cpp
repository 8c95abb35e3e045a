#include "session/program/host_message_box.h"

#include <QString>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/workflow_state.h"
#include "protocol/program/program_window.h"
#include "session/program/handler_context.h"
#include "session/program/program_dispatch.h"

#include "net/link_names.h"
#include "session/program/command_table.h"

namespace kovw::session {

namespace {

constexpr std::int32_t kMeldeWarningSound = 0x10;
constexpr std::int32_t kMeldeBoxStyle = 0x4FFF;  // buttons, icon, forms, UTF-8

}  // namespace

void handle_message_box(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_wmelde(payload);
  if (!parsed) {
    foundation::log_printf("dh_melde: %s", parsed.error().message.c_str());
    return;
  }
  // Keys typed before the box are not meant as its answer.
  context.keys.clear();
  const std::int32_t flags = parsed->flags;
  if ((flags & kMeldeWarningSound) != 0 && !foundation::workflow_mode()) host_beep(context);

  // The text as the host padded it: trailing blanks and control bytes go.
  const int text_flags =
      foundation::kTextTrimBlanks | ((flags & protocol::kMeldeUtf8) ? foundation::kTextUtf8 : 0);
  const std::string text =
      QString::fromStdU16String(foundation::host_to_wide(parsed->text, text_flags)).toStdString();
  const int answer =
      foundation::show_message(nullptr, (flags & kMeldeBoxStyle) | foundation::kMsgUtf8, 0,
                               context.caption.c_str(), "%s", text.c_str());
  const bool positive = answer == foundation::kAnswerOk || answer == foundation::kAnswerYes ||
                        answer == foundation::kAnswerRetry;

  if ((flags & protocol::kMeldeRetc) != 0) {
    const protocol::Outgoing reply = protocol::build_wmelde_answer(positive);
    context.replies.send(reply);
    return;
  }
  // Older host libraries read the answer as a key: F2 or F3 as the user's layout types them.
  context.keys.send_box_answer(positive);
}

void register_message_box_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WMELDE, [](HandlerContext& context, const Command& command) {
    handle_message_box(context, command.payload);
  });
}

}  // namespace kovw::session
