#pragma once
// The event script: a text file of lines, each one action that the daemon runs in order once a
// login has been answered (see README.md for the format).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host_program.h"
#include "print_job.h"
#include "protocol/outgoing.h"

namespace hostsim {

struct ScriptAction {
  enum class Kind { send, sleep, wait_for, close, program, print, wait_print } kind = Kind::send;
  kovw::protocol::Outgoing message;               // send
  int milliseconds = 0;                           // sleep
  int type = 0;                                   // wait_for: the message type awaited
  std::string text;                               // the line as written (for the log)
  std::shared_ptr<const HostScript> program;      // program: the host program to run
  std::shared_ptr<const PrintJobSpec> print_job;  // print: the job to send
};

// Splits a script line into words ("double quotes", escapes, # comments); false on an
// unterminated quote. A number word is read with base prefixes (0x...).
bool split_script_line(const std::string& line, std::vector<std::string>& words,
                       std::string& error);
bool script_int(const std::string& text, int& out);
// A message type of the KWD_KOMM service by name ("KMESSAGE", "KWK_KMESSAGE") or number;
// -1 when unknown.
int komm_type(const std::string& name);

// Parses a whole script; on failure `error` holds "line N: reason".
std::optional<std::vector<ScriptAction>> parse_script(const std::string& text, std::string& error);
std::optional<std::vector<ScriptAction>> load_script(const std::string& path, std::string& error);

}  // namespace hostsim
