#pragma once
// The server daemon's macro requests (types 62 to 66): receive a macro package, start macros,
// delete macros, abort a script. Every outcome goes back to the daemon as a status (type 65).
// They run on the GUI thread and never wait there: fetches, started workstations and pauses
// report back through callbacks and timers.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "protocol/server_messages.h"
#include "shell/fetch_receiver.h"

class QTimer;

namespace kovw::shell {

// Status codes of type 65.
inline constexpr int kMacroStatusFinished = 1;
inline constexpr int kMacroStatusLogoutFinished = 2;
inline constexpr int kMacroStatusReceived = 5;
inline constexpr int kMacroStatusExecuting = 9;
inline constexpr int kMacroStatusExecutingAtLogin = 10;
inline constexpr int kMacroStatusError = 33;
inline constexpr int kMacroStatusReceiveError = 37;

// What the requests need of the workstation (the real one in server_events.cpp, fakes in
// tests).
struct MacroRequestPort {
  std::string data_directory;
  // Sends a status to the daemon (the caller knows whether the daemon takes them).
  std::function<void(const protocol::ScriptStatus&)> send_status;
  // Fetches a host file into a local path; `done` runs later on the GUI thread.
  std::function<void(FetchJob, std::function<void(FetchOutcome)>)> fetch;
  // Starts a workstation with the parameter file; `ended` gets its exit code when it ends.
  // Returns 0, or the system error when it could not start.
  std::function<int(const std::string& parameter_file, std::function<void(int)> ended)>
      start_workstation;
  // Shows the information window with a text; an empty text closes it.
  std::function<void(const std::string&)> show_info;
  // The pause before each further macro with the random-pause flag (5000 to 10000 ms).
  std::function<int()> random_pause_ms;
};

class MacroRequests : public QObject {
  Q_OBJECT

 public:
  explicit MacroRequests(MacroRequestPort port, QObject* parent = nullptr);
  ~MacroRequests() override;

  // Handles one request of type 62, 63, 64 or 66. A payload that cannot be read is logged.
  void handle(int type, std::span<const std::uint8_t> payload);

  // True while a start request (63) runs.
  bool running() const { return static_cast<bool>(run_); }

  // The longest wait for one of all macros with the wait flag.
  static constexpr int kAllMacrosWaitMs = 60000;

 private:
  struct Run;
  void receive(const protocol::MacroFile& request);
  void start(const protocol::MacroStart& request);
  void remove(const protocol::MacroDelete& request);
  void abort_script();
  void status(int code, const std::string& name, const std::string& text);
  void fetch_package(const std::string& name, const std::string& package,
                     std::function<void(bool)> done);
  void next_macro();
  void start_one(const std::string& name, bool wait, int limit_ms);
  void finish_run();

  MacroRequestPort port_;
  std::unique_ptr<Run> run_;
};

}  // namespace kovw::shell
