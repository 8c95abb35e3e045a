#include "shell/program_link_handoff.h"

#include "foundation/log.h"
#include "net/tcp_socket.h"

namespace kovw::shell {

namespace {
ProgramLinkHandler& program_link_handler() {
  static ProgramLinkHandler handler;
  return handler;
}
ProgramLinkHandler& print_link_handler() {
  static ProgramLinkHandler handler;
  return handler;
}
}  // namespace

void set_program_link_handler(ProgramLinkHandler handler) {
  program_link_handler() = std::move(handler);
}

void set_print_link_handler(ProgramLinkHandler handler) {
  print_link_handler() = std::move(handler);
}

void hand_over_link(NewLink link) {
  if (link.kind == LinkKind::Program && program_link_handler()) {
    program_link_handler()(std::move(link));
    return;
  }
  if (link.kind == LinkKind::Print && print_link_handler()) {
    print_link_handler()(std::move(link));
    return;
  }
  // Without a taker the link is closed, so the host program sees its end at once instead
  // of waiting.
  foundation::log_printf("%s-Verbindung %s(%s)-%d Pid %s: nicht bedient, geschlossen",
                         link.kind == LinkKind::Program ? "Programm" : "Druck", link.peer.c_str(),
                         link.host_address.c_str(), link.port, link.process_id.c_str());
  if (link.socket >= 0) net::sc_close(link.socket);
}

}  // namespace kovw::shell
