#include "session/program/host_message_box.h"

#include <QString>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/workflow_state.h"
#include "protocol/program/program_window.h"
#include "session/program/key_buffer.h"
#include "session/program/key_input.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"

#include "net/link_names.h"
#include "session/program/command_table.h"

namespace kovw::session {

namespace {

constexpr std::int32_t kMeldeWarningSound = 0x10;
constexpr std::int32_t kMeldeBoxStyle = 0x4FFF;  // buttons, icon, forms, UTF-8

}  // namespace

void handle_message_box(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_wmelde(payload);
  if (!parsed) {
    foundation::log_printf("dh_melde: %s", parsed.error().message.c_str());
    return;
  }
  // Keys typed before the box are not meant as its answer.
  session.keys.clear();
  const std::int32_t flags = parsed->flags;
  if ((flags & kMeldeWarningSound) != 0 && !foundation::workflow_mode()) host_beep(session);

  // The text as the host padded it: trailing blanks and control bytes go.
  const int text_flags =
      foundation::kTextTrimBlanks | ((flags & protocol::kMeldeUtf8) ? foundation::kTextUtf8 : 0);
  const std::string text =
      QString::fromStdU16String(foundation::host_to_wide(parsed->text, text_flags)).toStdString();
  const int answer =
      foundation::show_message(nullptr, (flags & kMeldeBoxStyle) | foundation::kMsgUtf8, 0,
                               session.caption.c_str(), "%s", text.c_str());
  const bool positive = answer == foundation::kAnswerOk || answer == foundation::kAnswerYes ||
                        answer == foundation::kAnswerRetry;

  if ((flags & protocol::kMeldeRetc) != 0) {
    const protocol::Outgoing reply = protocol::build_wmelde_answer(positive);
    dt_send(session, reply.service, reply.type, reply.payload);
    return;
  }
  // Older host libraries read the answer as a key: F2 or F3 as the user's layout types them.
  // The host waits for it, so it goes into the buffer even while the wait cursor shows (a
  // dropped answer would leave the host waiting for good), and is sent at once.
  session.keys.put(message_box_answer_key(session, positive));
  key_send(session, 1);
  session.host_waits_for_keys = false;
}

void register_message_box_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WMELDE, [](ProgramSession& session, const Command& command) {
    handle_message_box(session, command.payload);
  });
}

}  // namespace kovw::session
