#pragma once
// Scriptable host programs: a host program listens on a free port, is announced to the
// workstation with KWK_KPROXY, accepts the workstation's connection back, then runs its own
// script (KINIT, WINIT, KGETWINID, any message, sleep, expect, close) on its program link and logs
// every frame it receives, decoded, one line each (see README.md for the script lines).

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/trace_file.h"
#include "protocol/outgoing.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/start_messages.h"

namespace hostsim {

struct HostStep {
  enum class Kind {
    send,
    kinit,
    winit,
    sleep,
    expect,
    close,
    list_dialog,
    download,
    upload,
    replay
  } kind = Kind::send;
  kovw::protocol::Outgoing message;         // send
  kovw::protocol::KInit kinit;              // kinit (host pid 0: the run id)
  kovw::protocol::ScreenDefinition screen;  // winit, built for the KINIT's library version
  int milliseconds = 0;                     // sleep; expect: how long to wait at most
  int service = 0;                          // expect: the service and type awaited
  int type = 0;
  int total_lines = 0;  // list_dialog: the lines of the whole list
  std::string title;    // list_dialog
  std::string text;     // the line as written (for the log)
  // download: the host file (or "gen:SIZE", generated text lines) sent to `target` with
  // `flags`, `milliseconds` pause after each block; upload: the workstation's `source` saved
  // as `target` on the host.
  std::string source;
  std::string target;
  int flags = 0;
  // replay: the recorded program link and whether its timing is kept.
  std::shared_ptr<const kovw::net::TraceContents> trace;
  bool fast = false;
};

struct HostScript {
  std::string name;  // the script file, for the log and the KWK_KEND program text
  std::vector<HostStep> steps;
};

// Parses a host program script; on failure `error` holds "line N: reason".
std::optional<HostScript> parse_host_script(const std::string& text, std::string& error);
std::optional<HostScript> load_host_script(const std::string& path, std::string& error);

// Decodes one program-link frame received from the workstation for the frame log.
std::string describe_program_frame(int service, int type, std::span<const std::uint8_t> payload);

using LogLine = std::function<void(const std::string&)>;

// Runs one host program on the calling thread (it owns the thread's link state): accepts the
// workstation on `listen_socket` (closed here), reads the forwarded KWK_KPROXY frame, then runs
// the script. Ends early when `stop` becomes true or the workstation closes the link.
void run_host_program(const HostScript& script, int run_id, int listen_socket,
                      const std::atomic<bool>& stop, const LogLine& log);

}  // namespace hostsim
