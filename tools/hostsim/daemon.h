#pragma once
// The demonstration server daemon: answers host searches, accepts one server link at a time,
// performs the connect exchange and the login, answers pings and start requests, and runs the
// event script once a login has been answered. Every frame it receives (and sends) is written
// to the frame log, decoded, one line each.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "protocol/built_message.h"
#include "script.h"

namespace hostsim {

class Daemon {
 public:
  Daemon(Options options, std::vector<ScriptAction> script, std::FILE* log);
  ~Daemon();

  // Opens the sockets. Returns false (reason on stderr) when the link port cannot be opened.
  bool open();
  // The daemon port (the workstation's -v value) and the link port (daemon port + 1).
  int base_port() const { return base_port_; }
  int link_port() const { return link_port_; }
  // Serves until SIGTERM (or after the first session with --exit-after-logout). Returns the
  // process exit code.
  int run();

  // Set from the SIGTERM handler.
  static volatile int stop_requested;

 private:
  void log_line(const std::string& line);
  void answer_host_search();
  // Runs one server link; returns true when a login was answered.
  bool run_session(int socket);
  bool send(int socket, const kovw::protocol::BuiltMessage& message);

  Options options_;
  std::vector<ScriptAction> script_;
  std::FILE* log_;
  int listen_socket_ = -1;
  int search_socket_ = -1;
  int base_port_ = 0;
  int link_port_ = 0;
  int next_run_id_ = 1000;
};

}  // namespace hostsim
