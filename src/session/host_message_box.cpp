#include "session/host_message_box.h"

#include <QApplication>
#include <QString>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/workflow_state.h"
#include "protocol/program/program_window.h"
#include "session/program_dispatch.h"
#include "session/program_link.h"
#include "session/program_session.h"

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
  // Older host libraries wait for a key instead.
  const protocol::KeyEvent key{positive ? kBoxPositiveKey : kBoxNegativeKey, std::nullopt};
  const protocol::Outgoing keys = protocol::build_key_data(std::span(&key, 1));
  dt_send(session, keys.service, keys.type, keys.payload);
}

}  // namespace kovw::session
