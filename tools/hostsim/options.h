#pragma once
// The command line of the demonstration server daemon.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace hostsim {

struct Account {
  std::string password;
  std::string domain;
};

struct Options {
  int base_port = 0;  // the daemon port: host search datagrams here, the link on base + 1
  std::map<std::string, Account> users;
  std::optional<int> refuse_reason;  // refuse every login with this reason
  std::string refuse_text;           // the daemon's reason text (empty: none sent)
  int header_level = 0;
  bool compression = false;
  bool encryption = false;
  bool old_daemon = false;  // answer the connect request without options
  std::int32_t daemon_version = 0x072300;
  std::string host_name = "hostsim";
  int session_timeout_min = 0;
  std::uint32_t reply_flags = 1;  // login reply flags (host kind 1)
  int listen_port_request = 0;    // the port the workstation shall listen on (0 = keep)
  int start_error = 0;            // error code of the start reply
  int start_status = 0;           // wait status of the start program's end
  int start_run_time_ms = 0;      // how long the no-op start program runs
  std::string close_at;           // "connect" or "login": close the link there
  std::string script_path;
  std::string start_program_path;  // host program script run by start requests (empty: no-op)
  std::string log_path;
  std::string files_directory;  // fetch requests are served from here (empty: refused)
  bool exit_after_logout = false;
  int load = -1;        // load value in host search answers (-1: not sent)
  std::string address;  // address in host search answers (empty: this station's)
  // The workstation update the login reply offers (version 0: none), the file sent as the
  // updater, the size offered (-1: the file's), the bytes after which the link is closed
  // during the download (-1: never), and whether the download is refused (KOMFAIL).
  std::int32_t update_version = 0;
  std::string update_file;
  long update_size = -1;
  long update_break_after = -1;
  bool update_refuse = false;
  // Replays: the program link trace played after the login, without its timing with
  // `replay_fast`; a trace printed decoded by --dump-trace.
  std::string replay_path;
  bool replay_fast = false;
  std::string dump_trace_path;
};

// Parses the arguments; on failure prints the reason and the usage to stderr and returns
// nothing.
std::optional<Options> parse_options(int argc, char** argv);

}  // namespace hostsim
