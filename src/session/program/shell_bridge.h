#pragma once
// How the shell reaches the program sessions. The shell is the layer below, so it cannot call
// in here by name: it declares hooks (a program-link handler, a receiver of program ends) and
// the process entry installs these functions in them before the shell starts.

#include <QObject>
#include <cstdint>
#include <functional>

#include "shell/program_link_handoff.h"

namespace kovw::session {

// Starts a program session on a new program link as the shell describes it: dt_open with the
// socket, the peer text as title, the host address, the port, the process id text and the
// opening message. Returns dt_open's result.
int open_program_link(shell::NewLink link);

// Makes `receiver` (an object of the GUI thread, normally the shell's main window) the
// receiver of WML_ENDE: each program that ends calls `on_end(programs still running, exit
// flags)` there, on the GUI thread. The receiver stays bound until it is destroyed.
void connect_program_ends(QObject* receiver,
                          std::function<void(int remaining, std::uint32_t exit_flags)> on_end);

// Whether the end of a program ends the login: it was the last one (`remaining` 0 or less and
// the program list empty) and it did not set exit flag bit 0 (keep the login). The shell then
// logs out ("do_logout aus WML_ENDE") and, with "Auto End", ends the workstation.
bool program_end_ends_login(int remaining, std::uint32_t exit_flags);

// Sends the session notices (KINFO, KEND) through the process's server connection.
void send_notices_through_server_connection();

}  // namespace kovw::session
