#pragma once
// The demonstration server daemon: answers host searches, accepts one server link at a time,
// performs the connect exchange and the login, answers pings and start requests, and runs the
// event script once a login has been answered. Every frame it receives (and sends) is written
// to the frame log, decoded, one line each.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "options.h"
#include "protocol/outgoing.h"
#include "script.h"

namespace hostsim {

class Daemon {
 public:
  // `start_program`, when given, is the host program that start requests run.
  Daemon(Options options, std::vector<ScriptAction> script,
         std::shared_ptr<const HostScript> start_program, std::FILE* log);
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
  bool serve_session(int socket);
  // Starts a host program on its own thread: listens on a free port and announces it with
  // KWK_KPROXY; its end is sent as KWK_KEND by the session loop. False when the link failed.
  bool launch_program(int socket, std::shared_ptr<const HostScript> script, int run_id);
  // Starts a print job on its own thread: listens on a free port and announces it with
  // KWK_KPRINT. False when the link failed.
  bool launch_print_job(int socket, std::shared_ptr<const PrintJobSpec> job, int run_id);
  // Sends KWK_KEND for every host program that ended; false when the link failed.
  bool report_ended_programs(int socket);
  void stop_programs();
  bool send(int socket, const kovw::protocol::Outgoing& message);

  Options options_;
  std::vector<ScriptAction> script_;
  std::FILE* log_;
  int listen_socket_ = -1;
  int search_socket_ = -1;
  int base_port_ = 0;
  int link_port_ = 0;
  int next_run_id_ = 1000;
  std::shared_ptr<const HostScript> start_program_;

  std::mutex log_mutex_;
  struct Running {
    int run_id = 0;
    std::string name;
    std::thread thread;
  };
  std::vector<Running> programs_;
  std::vector<std::thread> print_jobs_;
  std::atomic<int> print_jobs_running_{0};
  // The workstation of the session: its address and the print port its login announced.
  std::string workstation_address_;
  int workstation_print_port_ = 0;
  std::mutex ended_mutex_;
  std::vector<int> ended_;  // run ids of host programs that ended, not yet reported
  std::atomic<bool> programs_stop_{false};
};

}  // namespace hostsim
