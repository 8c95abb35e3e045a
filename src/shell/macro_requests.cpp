#include "shell/macro_requests.h"

#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "foundation/log.h"
#include "shell/macro_archive.h"
#include "shell/macro_state.h"

namespace kovw::shell {

namespace {

namespace fs = std::filesystem;
using foundation::log_printf;

std::string macro_root(const std::string& data_directory) {
  return (fs::path(data_directory) / "makro").string();
}

}  // namespace

// A start request (63) in progress: the macros still to start, one after the other.
struct MacroRequests::Run {
  int flags = 0;
  std::vector<std::string> names;
  std::size_t next = 0;
  bool failed = false;
  QTimer* timer = nullptr;  // the pause or the 60 s limit
  int waiting_for = 0;      // identifies the workstation waited for (older ones are ignored)
};

MacroRequests::MacroRequests(MacroRequestPort port, QObject* parent)
    : QObject(parent), port_(std::move(port)) {}

MacroRequests::~MacroRequests() = default;

void MacroRequests::status(int code, const std::string& name, const std::string& text) {
  log_printf("Makro-Status %d %s: %s", code, name.c_str(), text.c_str());
  if (port_.send_status) port_.send_status({code, name, text});
}

void MacroRequests::handle(int type, std::span<const std::uint8_t> payload) {
  switch (type) {
    case protocol::kTypeMacroFile:
      if (const auto request = protocol::parse_macro_file(payload))
        receive(*request);
      else
        log_printf("Makro-Anforderung %d: %s", type, request.error().message.c_str());
      return;
    case protocol::kTypeMacroStart:
      if (const auto request = protocol::parse_macro_start(payload))
        start(*request);
      else
        log_printf("Makro-Anforderung %d: %s", type, request.error().message.c_str());
      return;
    case protocol::kTypeMacroDelete:
      if (const auto request = protocol::parse_macro_delete(payload))
        remove(*request);
      else
        log_printf("Makro-Anforderung %d: %s", type, request.error().message.c_str());
      return;
    case protocol::kTypeScriptAbort:
      abort_script();
      return;
    default:
      return;
  }
}

void MacroRequests::fetch_package(const std::string& name, const std::string& package,
                                  std::function<void(bool)> done) {
  if (!valid_macro_name(name)) {
    log_printf("Makro-Anforderung: ungültiger Makroname \"%s\"", name.c_str());
    status(kMacroStatusReceiveError, name, "Receive Error");
    done(false);
    return;
  }
  const fs::path directory = fs::path(macro_root(port_.data_directory)) / name;
  std::error_code ec;
  fs::create_directories(directory, ec);
  if (ec || !port_.fetch) {
    log_printf("Makro %s: %s", name.c_str(), ec ? ec.message().c_str() : "kein Abruf möglich");
    status(kMacroStatusReceiveError, name, "Receive Error");
    done(false);
    return;
  }
  const std::string zip = (directory / "makro.zip").string();
  FetchJob job;
  job.request.host_name = package;
  job.local_path = zip;
  job.display_name = package;
  QPointer<MacroRequests> self(this);
  port_.fetch(std::move(job), [self, name, zip, directory, done](FetchOutcome outcome) {
    if (!self) return;
    if (outcome.result != 0) {
      log_printf("Makro %s: Paket nicht geholt: %s", name.c_str(), outcome.error.c_str());
      self->status(kMacroStatusReceiveError, name, "Receive Error");
      done(false);
      return;
    }
    std::string error;
    if (!unpack_macro_archive(zip, directory.string(), error)) {
      log_printf("Makro %s: %s", name.c_str(), error.c_str());
      self->status(kMacroStatusReceiveError, name, "Receive Error");
      done(false);
      return;
    }
    self->status(kMacroStatusReceived, name, "Receive ok");
    done(true);
  });
}

void MacroRequests::receive(const protocol::MacroFile& request) {
  fetch_package(request.macro_name, request.package_file, [](bool) {});
}

void MacroRequests::start(const protocol::MacroStart& request) {
  if (run_) {
    log_printf("Makro-Start %s: ein Start läuft noch", request.macro_name.c_str());
    status(kMacroStatusError, request.macro_name, "Fehler 16, Datei " + request.macro_name);
    return;
  }
  const bool all = (request.flags & protocol::kMacroAll) != 0;
  if (!all && !valid_macro_name(request.macro_name)) {
    log_printf("Makro-Start: ungültiger Makroname \"%s\"", request.macro_name.c_str());
    status(kMacroStatusError, request.macro_name, "Fehler 22, Datei " + request.macro_name);
    return;
  }
  run_ = std::make_unique<Run>();
  run_->flags = request.flags;
  if (port_.show_info)
    port_.show_info(all ? "Alle Makros aktiv" : "Makro " + request.macro_name + " aktiv.");

  if (!all && (request.flags & protocol::kMacroPackage) != 0) {
    // A package with a script: fetched and unpacked, then run by the local script
    // interpreter, which this workstation does not have.
    const std::string name = request.macro_name;
    run_->names.push_back(name);
    QPointer<MacroRequests> self(this);
    fetch_package(name, request.package_file, [self, name](bool received) {
      if (!self) return;
      if (received) {
        self->status(kMacroStatusExecuting, name, "Executing");
        log_printf("Makro %s: kein lokaler Skript-Interpreter", name.c_str());
        self->status(kMacroStatusError, name, "Script interpreter not available");
        self->run_->failed = true;
      }
      self->finish_run();
    });
    return;
  }

  if (all) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(macro_root(port_.data_directory), ec)) {
      if (!entry.is_directory() || entry.is_symlink()) continue;
      const std::string name = entry.path().filename().string();
      if (valid_macro_name(name)) run_->names.push_back(name);
    }
    std::sort(run_->names.begin(), run_->names.end());
  } else {
    run_->names.push_back(request.macro_name);
  }
  next_macro();
}

void MacroRequests::next_macro() {
  if (!run_) return;
  Run& run = *run_;
  if (run.failed || run.next >= run.names.size()) {
    finish_run();
    return;
  }
  const bool all = (run.flags & protocol::kMacroAll) != 0;
  const bool wait = (run.flags & protocol::kMacroWait) != 0;
  const std::string name = run.names[run.next];
  const bool pause = all && run.next > 0 && (run.flags & protocol::kMacroRandomPause) != 0;
  ++run.next;
  if (pause) {
    const int ms = port_.random_pause_ms ? port_.random_pause_ms() : 5000;
    log_printf("Makro %s: Pause %d ms", name.c_str(), ms);
    QTimer::singleShot(
        ms, this, [this, name, wait, all] { start_one(name, wait, all ? kAllMacrosWaitMs : 0); });
    return;
  }
  start_one(name, wait, all ? kAllMacrosWaitMs : 0);
}

void MacroRequests::start_one(const std::string& name, bool wait, int limit_ms) {
  if (!run_) return;
  if (port_.show_info && (run_->flags & protocol::kMacroAll))
    port_.show_info("Makro " + name + " aktiv.");
  status(kMacroStatusExecuting, name, "Executing");
  const std::string parameter_file =
      (fs::path(macro_root(port_.data_directory)) / name / "start.kovw").string();
  const int token = ++run_->waiting_for;
  QPointer<MacroRequests> self(this);
  const int error =
      port_.start_workstation
          ? port_.start_workstation(
                parameter_file,
                [self, token, wait, name](int exit_code) {
                  if (!self || !self->run_ || !wait || self->run_->waiting_for != token) return;
                  self->run_->waiting_for = 0;
                  log_printf("Makro %s: beendet mit %d", name.c_str(), exit_code);
                  if (exit_code != 0) self->run_->failed = true;
                  self->next_macro();
                })
          : 2;
  if (error != 0) {
    status(kMacroStatusError, name,
           "Fehler " + std::to_string(error) + ", Datei " + parameter_file);
    run_->failed = true;
    run_->waiting_for = 0;
    next_macro();
    return;
  }
  if (!wait) {
    run_->waiting_for = 0;
    QTimer::singleShot(0, this, [this] { next_macro(); });
    return;
  }
  if (limit_ms > 0) {
    // Each of all macros is waited for 60 s at most; then the next one starts.
    QTimer::singleShot(limit_ms, this, [this, token, name] {
      if (!run_ || run_->waiting_for != token) return;
      run_->waiting_for = 0;
      log_printf("Makro %s: nach %d s nicht beendet, weiter", name.c_str(),
                 kAllMacrosWaitMs / 1000);
      next_macro();
    });
  }
}

void MacroRequests::finish_run() {
  if (!run_) return;
  const bool failed = run_->failed;
  const std::string name =
      run_->names.empty() || (run_->flags & protocol::kMacroAll) ? std::string() : run_->names[0];
  run_.reset();
  if (port_.show_info) port_.show_info({});
  if (failed) log_printf("Makro-Start beendet nach einem Fehler");
  status(kMacroStatusFinished, name, "Finished");
}

void MacroRequests::remove(const protocol::MacroDelete& request) {
  const fs::path root = macro_root(port_.data_directory);
  std::error_code ec;
  if ((request.flags & protocol::kMacroAll) != 0) {
    fs::remove_all(root, ec);
    log_printf("Makros gelöscht: %s%s%s", root.c_str(), ec ? ": " : "",
               ec ? ec.message().c_str() : "");
    return;
  }
  if (!valid_macro_name(request.macro_name)) {
    log_printf("Makro löschen: ungültiger Makroname \"%s\"", request.macro_name.c_str());
    return;
  }
  fs::remove_all(root / request.macro_name, ec);
  log_printf("Makro %s gelöscht%s%s", request.macro_name.c_str(), ec ? ": " : "",
             ec ? ec.message().c_str() : "");
}

void MacroRequests::abort_script() {
  // No script runs on this workstation: it has no local script interpreter.
  status(kMacroStatusFinished, "<none>", "No Script active");
}

}  // namespace kovw::shell
