#pragma once
// Console control events: SIGINT, SIGQUIT, SIGHUP and SIGTERM are logged as
// "Signal %d/%s bekommen." with the number and name of the console event they stand for:
//   SIGINT  -> 0 "CTRL_C_EVENT"        (Ctrl-C in the terminal)
//   SIGQUIT -> 1 "CTRL_BREAK_EVENT"    (Ctrl-\ in the terminal, the break key of a console)
//   SIGHUP  -> 2 "CTRL_CLOSE_EVENT"    (the terminal was closed)
//   SIGTERM -> 6 "CTRL_SHUTDOWN_EVENT" (the session or the system shuts down)
// Event 5 "CTRL_LOGOFF_EVENT" has no signal of its own here (a log-off ends the session's
// processes with SIGHUP or SIGTERM).
//
// The signal handler only writes the signal number into a pipe; a small watcher thread logs
// the line and then calls the application's callback (for example to end its event loop in
// order). Without a callback the default action follows: the handler is reset to SIG_DFL and
// the signal raised again.

#include <functional>

namespace kovw::foundation {

inline constexpr int kCtrlCEvent = 0;
inline constexpr int kCtrlBreakEvent = 1;
inline constexpr int kCtrlCloseEvent = 2;
inline constexpr int kCtrlLogoffEvent = 5;
inline constexpr int kCtrlShutdownEvent = 6;

// The console event a signal stands for, -1 for other signals.
int console_event_for_signal(int signal_number);
// "CTRL_C_EVENT" ... for events 0, 1, 2, 5 and 6; nullptr for other numbers.
const char* console_event_name(int event);

// Installs the handlers (again: replaces the callback). `on_signal` gets the signal number
// and runs on the watcher thread. Returns false when the pipe or thread cannot be created.
bool install_console_signal_handlers(std::function<void(int)> on_signal);
// Restores the previous handlers and ends the watcher thread.
void uninstall_console_signal_handlers();

}  // namespace kovw::foundation
