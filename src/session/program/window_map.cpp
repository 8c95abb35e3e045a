#include "session/program/window_map.h"

#include "foundation/log.h"
#include "protocol/program/start_messages.h"
#include "session/program/handler_context.h"
#include "session/program/program_dispatch.h"

#include "net/link_names.h"
#include "session/program/command_table.h"

namespace kovw::session {

void handle_window_operation(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_kmap(payload);
  if (!request) {
    log_parse_failure(request.error());
    return;
  }
  if (request->operation < kMapShow || request->operation > kMapShowNoRestore) {
    foundation::log_printf("KMAP: Operation %d ignoriert", request->operation);
    return;
  }
  context.view.post(to_view::MapWindow{request->operation, request->window});
}

void register_window_map_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KMAP, [](HandlerContext& context, const Command& command) {
    handle_window_operation(context, command.payload);
  });
}

}  // namespace kovw::session
