// hostsim: a demonstration server daemon for the workstation (see README.md).
#include <csignal>
#include <cstdio>
#include <memory>

#include "daemon.h"
#include "options.h"
#include "replay.h"
#include "script.h"

namespace {

void on_terminate(int) {
  hostsim::Daemon::stop_requested = 1;
}

}  // namespace

int main(int argc, char** argv) {
  auto options = hostsim::parse_options(argc, argv);
  if (!options) return 2;
  if (!options->dump_trace_path.empty()) {
    const auto trace = kovw::net::read_trace_file(options->dump_trace_path);
    std::fputs(hostsim::dump_trace(trace).c_str(), stdout);
    return trace.error.empty() ? 0 : 1;
  }
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
  const bool replaying = !options->replay_path.empty();
  if (replaying) {
    // The replay runs as a host program after the login, after the event script's lines.
    std::string error;
    auto trace = hostsim::load_replay_trace(options->replay_path, error);
    if (!trace) {
      std::fprintf(stderr, "hostsim: replay %s\n", error.c_str());
      return 2;
    }
    auto program = std::make_shared<hostsim::HostScript>();
    program->name = options->replay_path;
    hostsim::HostStep step;
    step.kind = hostsim::HostStep::Kind::replay;
    step.text = "replay " + options->replay_path + (options->replay_fast ? " --fast" : "");
    step.trace = std::make_shared<const kovw::net::TraceContents>(std::move(*trace));
    step.fast = options->replay_fast;
    program->steps.push_back(std::move(step));
    hostsim::ScriptAction action;
    action.kind = hostsim::ScriptAction::Kind::program;
    action.text = "program " + options->replay_path;
    action.program = std::move(program);
    script.push_back(std::move(action));
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
  int rc = daemon.run();
  if (log != stdout) std::fclose(log);
  // A replay that found a difference, or never ran to its end, fails the run.
  if (rc == 0 && replaying && hostsim::replays_passed() == 0) rc = 1;
  return rc;
}
