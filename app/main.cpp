// The process entry of the workstation: connects the program sessions to the shell, which
// cannot name the layer above it, and runs the workstation.
#include "foundation/log.h"
#include "session/shell_bridge.h"
#include "shell/main_window.h"
#include "shell/program_link_handoff.h"
#include "shell/server_connection.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
  using namespace kovw;
  shell::set_program_link_handler(
      [](shell::NewLink link) { session::open_program_link(std::move(link)); });
  shell::set_main_window_hook([](shell::MainWindow& window) {
    session::send_notices_through_server_connection();
    // The end of the last program ends the login, and with "Auto End" the workstation.
    session::connect_program_ends(&window, [](int remaining, std::uint32_t exit_flags) {
      if (!session::program_end_ends_login(remaining, exit_flags)) return;
      shell::ServerConnection* connection = shell::ServerConnection::instance();
      if (!connection) return;
      foundation::log_printf("do_logout aus WML_ENDE");
      connection->do_logout(false);
      connection->end_if_auto_end();
    });
  });
  return shell::run_workstation(argc, argv);
}
