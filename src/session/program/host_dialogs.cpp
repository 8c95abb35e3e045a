#include "session/program/host_dialogs.h"

#include "dialogs/host_dialog.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "session/program/command_table.h"
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
    foundation::log_printf("Send wdialog %d", *step.reply);
    dt_send(session, net::KWD_DIGRA, net::KWK_GDIALOG, step.payload);
  }
}

void handle_dialog(ProgramSession& session, const Command& command) {
  carry_out(session, session.dialogs.define(command.payload));
}

}  // namespace

void register_host_dialog_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WDIALOG, CommandHandler(handle_dialog));
  table.add(net::KWD_DIGRA, net::KWK_GDIALOG, CommandHandler(handle_dialog));
}

void host_dialog_action(ProgramSession& session, const dialogs::DialogAction& action) {
  carry_out(session, session.dialogs.act(action));
}

}  // namespace kovw::session
