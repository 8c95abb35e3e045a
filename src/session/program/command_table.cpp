#include "session/program/command_table.h"

#include <utility>

#include "foundation/log.h"
#include "foundation/verbose.h"
#include "net/link_message.h"
#include "net/link_names.h"
#include "session/program/choice_questions.h"
#include "session/program/clipboard_commands.h"
#include "session/program/colour_choice.h"
#include "session/program/edit_areas.h"
#include "session/program/font_info.h"
#include "session/program/font_list.h"
#include "session/program/frame.h"
#include "session/program/graphics_requests.h"
#include "session/program/graphics_windows.h"
#include "session/program/host_busy.h"
#include "session/program/host_dialogs.h"
#include "session/program/host_message_box.h"
#include "session/program/icon_view.h"
#include "session/program/ignored_requests.h"
#include "session/program/input_fields.h"
#include "session/program/local_files.h"
#include "session/program/local_programs.h"
#include "session/program/program_dispatch.h"
#include "session/program/session_context.h"
#include "session/program/transfer_commands.h"
#include "session/program/window_map.h"
#include "session/program/window_title.h"

namespace kovw::session {

std::uint64_t CommandTable::key(int service, int type) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(service)) << 32 |
         static_cast<std::uint32_t>(type);
}

bool CommandTable::add(int service, int type, CommandHandler handler) {
  return handlers_.emplace(key(service, type), std::move(handler)).second;
}

bool CommandTable::add(int service, int type, ContextHandler handler) {
  const bool added = add(service, type, [handler](ProgramSession& session, const Command& command) {
    run_in_session_context(session, [&](HandlerContext& context) { handler(context, command); });
  });
  if (added) context_handlers_.emplace(key(service, type), std::move(handler));
  return added;
}

const CommandHandler* CommandTable::find(int service, int type) const {
  const auto found = handlers_.find(key(service, type));
  return found == handlers_.end() ? nullptr : &found->second;
}

const ContextHandler* CommandTable::find_context_handler(int service, int type) const {
  const auto found = context_handlers_.find(key(service, type));
  return found == context_handlers_.end() ? nullptr : &found->second;
}

const CommandTable& program_commands() {
  static const CommandTable table = [] {
    CommandTable commands;
    register_program_control_commands(commands);
    register_program_window_commands(commands);
    register_screen_commands(commands);
    register_clipboard_commands(commands);
    register_colour_choice_commands(commands);
    register_choice_question_commands(commands);
    register_window_map_commands(commands);
    register_local_file_commands(commands);
    register_local_program_commands(commands);
    register_ignored_requests(commands);
    register_font_list_commands(commands);
    register_frame_commands(commands);
    register_message_box_commands(commands);
    register_title_commands(commands);
    register_host_busy_commands(commands);
    register_graphics_request_commands(commands);
    register_graphics_window_commands(commands);
    register_font_info_commands(commands);
    register_input_field_commands(commands);
    register_edit_area_commands(commands);
    register_host_dialog_commands(commands);
    register_transfer_commands(commands);
    register_icon_view_commands(commands);
    return commands;
  }();
  return table;
}

void dispatch_command(const CommandTable& table, ProgramSession& session,
                      const net::LinkMessage& header, std::span<const std::uint8_t> payload) {
  const bool trace = foundation::verbose(foundation::kVerboseGeneral);
  if (trace)
    foundation::log_printf("Client Command %d/%d Länge %d", header.service, header.type,
                           header.length);
  if (const CommandHandler* handler = table.find(header.service, header.type)) {
    (*handler)(session, Command{header.service, header.type, payload});
  } else {
    const char* service = net::service_name(header.service);
    const char* type = net::type_name(header.service, header.type);
    foundation::log_printf("dt_command: %s/%s (%d/%d) Len %d noch nicht behandelt",
                           service ? service : "?", type ? type : "?", header.service, header.type,
                           header.length);
  }
  if (trace) foundation::log_printf("Client Command fertig.");
}

}  // namespace kovw::session
