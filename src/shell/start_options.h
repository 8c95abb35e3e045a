#pragma once
// Everything the command line asks for: the override record plus the options that are not
// settings (verbosity, macros, browser mode, workflow mode, the one-shot actions).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/override_record.h"

namespace kovw::shell {

// What the program does after parsing.
enum class StartAction {
  Run,            // go on with the start-up
  SelfUpdate,     // -i: run the self-update installation step and quit
  InstallHelper,  // -j: installation helper, then end
  Uninstall,      // -q: remove the settings of the current user, then end
  End,            // end at once with exit code 0 (e.g. --help)
  Error,          // a command-line error was reported: end with kExitCommandLineError
};

enum class MacroRequest { None, Record, Play };

// The -x workflow values.
struct WorkflowOptions {
  bool user_given = false;                   // -xb
  std::array<std::uint8_t, 256> user{};      // enciphered at once
  std::array<std::uint8_t, 256> password{};  // enciphered at once
  FixedString<256> domain;
  bool protocol_truncate = false;  // -xd (else -xp appends)
  bool protocol_given = false;
  std::string protocol_file;  // as given, a logical path
  bool command_given = false;
  FixedString<256> command;  // -xe: sent instead of the start program
  bool host_given = false;
  FixedString<256> host;    // -xr
  int timeout_seconds = 0;  // -xt
  bool port_given = false;
  int kovd_port = 0;  // -xv
};

struct StartOptions {
  OverrideRecord overrides;
  StartAction action = StartAction::Run;
  bool from_url = false;  // the command line came in the "kovw:" URL form

  bool verbosity_given = false;  // -t
  int verbosity = 0;

  MacroRequest macro = MacroRequest::None;  // -mr / -mp
  std::string macro_name;
  bool macro_wait_given = false;
  bool macro_wait_plus = false;  // "+n": added to the recorded waits
  int macro_wait = 0;

  int cache_clean_flags = 0;         // -oc, -och, -ocd
  bool print_plain_drawing = false;  // -pg-
  int net_timeout_ms = -1;           // -ot, -1 when not given
  int start_delay_seconds = 0;       // -ow
  int window_placement = 0;          // -mm
  bool start_sound_always = false;   // -n+
  bool open_ports = false;           // -ok
  bool no_auto_update = false;       // -ou

  // Browser mode (-h).
  int browser_mode = 0;         // 0 when not in browser mode
  std::uint32_t host_type = 0;  // the ":n:n" list
  int browser_number = 0;
  int browser_session = 0;
  bool browser_always_login = false;  // -lx
  bool browser_no_number = false;     // -oe
  std::string instance_name;

  // Installation helper (-j).
  int foreground_lock = 0;  // +1 for -jf+, -1 for -jf-
  bool install_path_given = false;
  foundation::BoundedString<260> install_path;

  std::string standard_environment;  // -s dir
  std::string record_directory;      // --record DIR: session traces go there
  WorkflowOptions workflow;
};

}  // namespace kovw::shell
