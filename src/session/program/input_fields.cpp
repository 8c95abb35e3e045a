#include "session/program/input_fields.h"

#include <QColor>
#include <QString>

#include "dialogs/field_editor.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/link_names.h"
#include "protocol/program/program_window.h"
#include "session/program/command_table.h"
#include "session/program/date_style.h"
#include "session/program/key_buffer.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/qt_colour.h"
#include "session/program/session_host.h"
#include "session/program/window_hardcopy_request.h"

namespace kovw::session {

struct ActiveField {
  dialogs::FieldEditor editor;
  QString help;
};

namespace {

void show(ProgramSession& session) {
  const ActiveField& field = *session.field;
  const dialogs::FieldRequest& request = field.editor.request();
  to_view::InputField view;
  view.shown = true;
  view.row = request.row;
  view.column = request.column;
  view.width = request.shown_width();
  view.full_width = request.full_width != 0;
  view.text = QString::fromStdU16String(field.editor.shown_text());
  view.cursor = field.editor.cursor();
  view.insert = field.editor.insert_mode();
  const auto& model = session.colour_model;
  view.text_colour = to_qcolor(model.foreground_table()[request.text_colour & 0x0F]);
  view.background = to_qcolor(model.background_table()[request.back_colour & 0x0F]);
  view.bold = (request.request_flags & dialogs::kRequestBoldFont) != 0;
  post_to_view(*session.to_view, std::move(view));
}

void hide(ProgramSession& session) {
  post_to_view(*session.to_view, to_view::InputField{});
  post_to_view(*session.to_view, to_view::StatusText{session.frame.status_text});
}

// The field was left: the reply goes to the host, the field goes away.
void reply(ProgramSession& session, int exit_key) {
  const std::shared_ptr<ActiveField> field = std::move(session.field);
  const dialogs::FieldEditor& editor = field->editor;
  int length = 0;
  protocol::FieldReply answer;
  answer.exit_key = static_cast<std::int16_t>(exit_key);
  answer.text = editor.reply_contents(session.host_text_flags(), &length);
  answer.cursor = static_cast<std::int16_t>(editor.cursor());
  if (exit_key == dialogs::kExitClick) {
    answer.mouse_column = static_cast<std::int16_t>(editor.mouse_column());
    answer.mouse_row = static_cast<std::int16_t>(editor.mouse_row());
    answer.mouse_info = static_cast<std::int16_t>(editor.mouse_info());
  }
  const std::string logged = editor.logged_contents(answer.text);
  foundation::log_printf("Sende DIAC Taste %d %.*s", exit_key, static_cast<int>(logged.size()),
                         logged.c_str());
  hide(session);
  const protocol::Outgoing message = protocol::build_field_reply(answer);
  dt_send(session, message.service, message.type, message.payload);
}

void after(ProgramSession& session, const dialogs::FieldStep& step) {
  if (step.beep) host_beep(session);
  if (step.hardcopy) request_window_hardcopy(session, 0);
  if (step.left)
    reply(session, step.exit_key);
  else
    show(session);
}

// Feeds the keys typed ahead into the new field, in order, until it is left; the rest stay.
void replay_type_ahead(ProgramSession& session) {
  const std::vector<protocol::KeyEvent> keys = session.keys.take();
  std::size_t used = 0;
  for (; used < keys.size() && session.field; ++used) {
    const protocol::KeyEvent& key = keys[used];
    if (key.mouse)
      field_click(session, *key.mouse);
    else
      field_code(session, key.code, 1);
  }
  for (std::size_t rest = used; rest < keys.size(); ++rest) {
    if (keys[rest].mouse)
      session.keys.put_event(keys[rest].code, *keys[rest].mouse);
    else
      session.keys.put(keys[rest].code);
  }
}

void handle_field_request(ProgramSession& session, const Command& command) {
  const auto message = protocol::parse_wdiac(command.payload);
  const auto request = message ? dialogs::decode_field_request(message->descriptor)
                               : std::optional<dialogs::FieldRequest>();
  if (!request) {
    foundation::log_printf("KWK_WDIAC: %s",
                           message ? "field request too short" : message.error().message.c_str());
    return;
  }
  const bool utf8 = (dialogs::control_flags(*request) & dialogs::kFieldUtf8) != 0;
  const int flags = utf8 ? foundation::kTextUtf8 : session.host_text_flags();
  std::u16string contents = foundation::host_to_wide(message->contents, flags);
  if (contents.size() > static_cast<std::size_t>(dialogs::kMaxFieldLength))
    contents.resize(dialogs::kMaxFieldLength);
  const int smart_edit =
      session.host_hooks ? session.host_hooks->smart_edit : dialogs::kSmartEditDefault;
  session.field = std::make_shared<ActiveField>(ActiveField{
      dialogs::FieldEditor(*request, std::move(contents), smart_edit, date_style_of(QLocale())),
      QString::fromStdU16String(foundation::host_to_wide(
          message->help, utf8 ? foundation::kTextUtf8 : session.host_text_flags()))});
  post_to_view(*session.to_view, to_view::StatusText{session.field->help});
  show(session);
  replay_type_ahead(session);
}

}  // namespace

void register_input_field_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WDIAC, CommandHandler(handle_field_request));
}

bool field_active(const ProgramSession& session) {
  return session.field != nullptr;
}

void field_code(ProgramSession& session, std::uint16_t code, int repeat) {
  for (int i = 0; i < std::max(repeat, 1); ++i) {
    if (!session.field) {
      session.keys.put(code);  // the field was left: the rest goes to the host
      continue;
    }
    if (code < kFunctionKeyBase)
      after(session,
            session.field->editor.type(foundation::ansi_to_wide(static_cast<unsigned char>(code))));
    else
      after(session, session.field->editor.key(code - kFunctionKeyBase));
  }
}

void field_character(ProgramSession& session, char32_t character, int repeat) {
  if (character > 0xFFFF) return;  // beyond the fields' characters
  for (int i = 0; i < std::max(repeat, 1); ++i) {
    if (!session.field) {
      session.keys.put(foundation::wide_to_ansi(character));
      continue;
    }
    after(session, session.field->editor.type(static_cast<char16_t>(character)));
  }
}

void field_click(ProgramSession& session, const std::array<std::uint16_t, 3>& values) {
  if (!session.field) return;
  after(session, session.field->editor.click(values[1], values[2], values[0]));
}

void field_drop(ProgramSession& session) {
  if (!session.field) return;
  session.field.reset();
  hide(session);
}

}  // namespace kovw::session
