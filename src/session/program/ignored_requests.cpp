#include "session/program/ignored_requests.h"

#include "foundation/log.h"
#include "net/link_names.h"
#include "protocol/program/host_requests.h"
#include "session/program/handler_context.h"
#include "session/program/program_dispatch.h"

#include "session/program/command_table.h"

namespace kovw::session {

void handle_help_request(std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_khelp_request(payload);
  if (!parsed) log_parse_failure(parsed.error());
}

void handle_printer_request(HandlerContext& context, int type,
                            std::span<const std::uint8_t> payload) {
  const auto parsed = type == net::KWK_KSENDPRINTER ? protocol::parse_ksendprinter(payload)
                                                    : protocol::parse_kgetprinter(payload);
  if (!parsed) log_parse_failure(parsed.error());
  const protocol::Outgoing answer = protocol::build_printer_answer(type);
  context.replies.send(answer);
}

void register_ignored_requests(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KHELP_REQUEST,
            [](HandlerContext&, const Command& command) { handle_help_request(command.payload); });
  for (const int type : {net::KWK_KGETPRINTER, net::KWK_KSENDPRINTER}) {
    table.add(net::KWD_KOMM, type, [](HandlerContext& context, const Command& command) {
      handle_printer_request(context, command.type, command.payload);
    });
  }
}

}  // namespace kovw::session
