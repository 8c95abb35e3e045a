#include "session/program/host_dialogs.h"

#include "dialogs/host_dialog.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "session/program/command_table.h"
#include "session/program/key_buffer.h"
#include "session/program/key_translation.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/session_host.h"

namespace kovw::session {

namespace {

void post_dialog(ProgramSession& session, to_view::HostDialog::Operation operation) {
  to_view::HostDialog message;
  message.operation = operation;
  message.definition = session.dialogs.definition();
  message.layout = session.host_hooks ? session.host_hooks->keyboard_layout : 0;
  if (session.screen_kind == kScreenText) {
    message.text_font = QString::fromStdString(session.screen_font.name);
    message.text_font_tenths = session.screen_font.tenths;
  }
  post_to_view(*session.to_view, std::move(message));
}

// Carries out a step of the dialog state: messages, the view, the reply.
void carry_out(ProgramSession& session, const dialogs::DialogStep& step) {
  using Operation = to_view::HostDialog::Operation;
  if (step.message) {
    if (*step.message > 0)
      foundation::show_message_number(nullptr, 0, 0, "KOVW", *step.message, "dm_dialog",
                                      step.found_tag, step.expected_tag);
    else
      foundation::show_message(nullptr, 0, 0, "KOVM", "%s", step.message_text.c_str());
  } else if (!step.message_text.empty()) {
    foundation::log_printf("dm_dialog: %s", step.message_text.c_str());
  }
  if (step.close) post_dialog(session, Operation::Close);
  if (step.show || step.restore) post_dialog(session, Operation::Show);
  if (step.refill) post_dialog(session, Operation::Refill);
  if (step.reply) {
    if (session.current_message_flags & foundation::kMsgDialogAnswer) {
      // The workstation's own dialog answers: the window takes the result, the host gets none.
      foundation::log_printf("wdialog %d: WM_USER+2048", *step.reply);
    } else {
      foundation::log_printf("Send wdialog %d", *step.reply);
      dt_send(session, net::KWD_DIGRA, net::KWK_GDIALOG, step.payload);
    }
  }
}

// Keys typed before the dialog appeared (still in the key buffer) go into it in order until it
// has answered; the rest stay.
void replay_type_ahead(ProgramSession& session) {
  using Kind = dialogs::DialogAction::Kind;
  const std::vector<protocol::KeyEvent> keys = session.keys.take();
  std::size_t used = 0;
  for (; used < keys.size() && session.dialogs.pending_kind() != -1; ++used) {
    const protocol::KeyEvent& key = keys[used];
    if (key.mouse) continue;  // a click on the screen means nothing to the dialog
    dialogs::DialogAction action;
    action.selected = session.dialogs.definition().header.selected;
    action.input = session.dialogs.definition().input;
    if (key.code < kFunctionKeyBase) {
      action.kind = Kind::Character;
      action.value = key.code;
    } else {
      const int n = key.code - kFunctionKeyBase;
      action.kind = n == 2   ? Kind::ListEnter
                    : n == 5 ? Kind::PageUp
                    : n == 6 ? Kind::PageDown
                             : Kind::HostKey;
      action.value = n;
    }
    carry_out(session, session.dialogs.act(
                           action, session.current_message_flags & foundation::kMsgDialogAnswer));
  }
  for (std::size_t rest = used; rest < keys.size(); ++rest) {
    if (keys[rest].mouse)
      session.keys.put_event(keys[rest].code, *keys[rest].mouse);
    else
      session.keys.put(keys[rest].code);
  }
}

void handle_dialog(ProgramSession& session, const Command& command) {
  const dialogs::DialogStep step = session.dialogs.define(command.payload);
  carry_out(session, step);
  if (step.show && session.dialogs.pending_kind() != -1) replay_type_ahead(session);
}

}  // namespace

void register_host_dialog_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WDIALOG, CommandHandler(handle_dialog));
  table.add(net::KWD_DIGRA, net::KWK_GDIALOG, CommandHandler(handle_dialog));
}

void host_dialog_action(ProgramSession& session, const dialogs::DialogAction& action) {
  carry_out(session, session.dialogs.act(
                         action, session.current_message_flags & foundation::kMsgDialogAnswer));
}

}  // namespace kovw::session
