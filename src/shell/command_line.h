#pragma once
// The command-line parser: options, quoting, parameter files and the "kovw:" URL form.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/start_options.h"

namespace kovw::shell {

// A message the parser reports: the message number, its caption and the formatted text.
struct CommandLineMessage {
  int number = 0;
  std::string caption;
  std::string text;
};

struct ParseContext {
  int today = 0;  // YYYYMMDD, the default browser session number
  // Shows a message (the default shows it with show_message and logs it).
  std::function<void(const CommandLineMessage&)> report;
};

// Parses `text` into `options` (which is reset first). Returns the action that follows;
// every message shown is also appended to `messages` when it is not null.
StartAction parse_command_line(std::string_view text, StartOptions& options,
                               const ParseContext& context,
                               std::vector<CommandLineMessage>* messages = nullptr);

// Joins an argument vector into one command-line text that parse_command_line reads back
// into the same words: arguments with blanks or quotes are quoted, quotes escaped.
std::string join_arguments(const std::vector<std::string>& arguments);

}  // namespace kovw::shell
