// hostsim: a demonstration server daemon for the workstation (see README.md).
#include <csignal>
#include <cstdio>
#include <memory>

#include "daemon.h"
#include "options.h"
#include "script.h"

namespace {

void on_terminate(int) {
  hostsim::Daemon::stop_requested = 1;
}

}  // namespace

int main(int argc, char** argv) {
  auto options = hostsim::parse_options(argc, argv);
  if (!options) return 2;
  std::vector<hostsim::ScriptAction> script;
  if (!options->script_path.empty()) {
    std::string error;
    auto loaded = hostsim::load_script(options->script_path, error);
    if (!loaded) {
      std::fprintf(stderr, "hostsim: script %s\n", error.c_str());
      return 2;
    }
    script = std::move(*loaded);
  }
  std::shared_ptr<const hostsim::HostScript> start_program;
  if (!options->start_program_path.empty()) {
    std::string error;
    auto loaded = hostsim::load_host_script(options->start_program_path, error);
    if (!loaded) {
      std::fprintf(stderr, "hostsim: start program %s\n", error.c_str());
      return 2;
    }
    start_program = std::make_shared<const hostsim::HostScript>(std::move(*loaded));
  }
  std::FILE* log = stdout;
  if (!options->log_path.empty()) {
    log = std::fopen(options->log_path.c_str(), "a");
    if (!log) {
      std::fprintf(stderr, "hostsim: cannot open %s\n", options->log_path.c_str());
      return 2;
    }
  }
  struct sigaction action {};
  action.sa_handler = on_terminate;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  hostsim::Daemon daemon(std::move(*options), std::move(script), std::move(start_program), log);
  if (!daemon.open()) return 1;
  std::printf("listening on port %d\n", daemon.base_port());
  std::fflush(stdout);
  const int rc = daemon.run();
  if (log != stdout) std::fclose(log);
  return rc;
}
