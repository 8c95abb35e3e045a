#include "session/program/edit_areas.h"

#include <QColor>

#include "dialogs/edit_area.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/link_names.h"
#include "protocol/program/program_window.h"
#include "session/program/command_table.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/qt_colour.h"
#include "session/program/session_host.h"

namespace kovw::session {

namespace {

void handle_edit_request(ProgramSession& session, const Command& command) {
  const auto message = protocol::parse_wedit(command.payload);
  if (!message) {
    foundation::log_printf("KWK_WEDIT: %s", message.error().message.c_str());
    return;
  }
  const auto area = dialogs::decode_edit_request(message->descriptor);
  if (!area) return;  // the parser refuses records shorter than 28 bytes
  session.edit_area = *area;
  const std::string_view text(reinterpret_cast<const char*>(message->text.data()),
                              message->text.size());
  to_view::EditArea view;
  view.column = area->column;
  view.row = area->row;
  view.rows = area->rows;
  view.columns = area->columns;
  view.text = QString::fromStdU16String(
      dialogs::edit_text_from_host(text, *area, session.host_text_flags()));
  view.max_length = area->max_length;
  view.programmer = (area->edit_flags & dialogs::kEditProgrammer) != 0;
  if (session.host_hooks) {
    view.tab_blanks = session.host_hooks->tab_blanks;
    view.layout = session.host_hooks->keyboard_layout;
  }
  const auto& model = session.colour_model;
  view.text_colour = to_qcolor(model.foreground_table()[14]);
  view.background = to_qcolor(model.background_table()[15]);
  const bool utf8 = (area->edit_flags & dialogs::kEditUtf8) != 0;
  view.help = QString::fromStdU16String(foundation::host_to_wide(
      message->help, utf8 ? foundation::kTextUtf8 : session.host_text_flags()));
  post_to_view(*session.to_view, std::move(view));
}

}  // namespace

void register_edit_area_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WEDIT, CommandHandler(handle_edit_request));
}

void edit_area_left(ProgramSession& session, const to_program::EditLeft& left) {
  if (!session.edit_area) return;  // a report without a request (the screen changed)
  const dialogs::EditArea area = *std::exchange(session.edit_area, std::nullopt);
  protocol::EditReply reply;
  reply.exit_key = static_cast<std::int16_t>(left.exit_key);
  reply.modified = left.modified ? 0x20 : 0;
  const std::string text =
      dialogs::edit_text_to_host(left.text.toStdU16String(), area, session.host_text_flags());
  reply.text.assign(text.begin(), text.end());
  reply.object = 0;  // a text screen
  foundation::log_printf("Sende EDIT Taste %d %.*s", left.exit_key, static_cast<int>(text.size()),
                         text.c_str());
  post_to_view(*session.to_view, to_view::StatusText{session.frame.status_text});
  const protocol::Outgoing message = protocol::build_edit_reply(reply);
  dt_send(session, message.service, message.type, message.payload);
}

}  // namespace kovw::session
