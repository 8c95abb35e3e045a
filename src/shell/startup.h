#pragma once
// The workstation's start-up sequence, its message loop and its orderly end.

#include <cstdint>
#include <functional>
#include <string>

#include "shell/directories.h"
#include "shell/port_plan.h"
#include "shell/start_options.h"

namespace kovw::shell {

// What start-up fixed, read by the rest of the shell.
struct ShellState {
  StartOptions options;
  std::string version_text;
  std::uint32_t version_word = 0;
  std::string title;
  int today = 0;  // YYYYMMDD
  int language = 4;
  int font_charset = 1;
  int login_template = 211;  // 211 with host selection, 213 without
  Directories directories;
  PortPlan ports;
  int print_port = 0;  // the port the print service listens on, 0 when it does not listen
  long result = 0;     // the workstation's result (workflow result in workflow mode)
};

ShellState& shell_state();

// Today's date as YYYYMMDD in local time.
int today_number();

class MainWindow;

// Called once the hidden main window and the server connection exist, before the first
// login: the process entry connects the layers above the shell there.
void set_main_window_hook(std::function<void(MainWindow&)> hook);

// The process entry of the workstation: runs start-up, the message loop and the end, and
// returns the process exit status.
int run_workstation(int argc, char** argv);

}  // namespace kovw::shell
