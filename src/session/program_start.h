#pragma once
// The start of a program session on the GUI thread: a ProgramThread for the link and a
// ProgramView for its windows, joined by two channels.

#include <cstdint>
#include <string>
#include <vector>

namespace kovw::session {

// Starts a program session on `socket` (the session owns it from now on, also on failure).
// Called on the GUI thread. Returns 0, or -1 when the thread could not be started (message
// 10040 shown, the link closed).
int dt_open(int socket, const std::string& title, const std::string& host, int port,
            const std::string& host_pid_text, std::vector<std::uint8_t> extra);

namespace testing {
// Makes the next dt_open fail to start its thread (as when the system has no threads left).
void fail_next_thread_start();
}  // namespace testing

}  // namespace kovw::session
