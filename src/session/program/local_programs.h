#pragma once
// KWK_KSKOMM: a host program starts a program or opens a document on the workstation.
//
// The program path and every argument that holds a path separator pass through the path
// synonyms. The program "default" takes its program from the first word of the arguments.
// Arguments are split into words here (blanks separate, double quotes group and are dropped)
// and handed to the program as they are: no shell sees them.
//
// What is started:
//   - an executable file (a path, or a name found in PATH) runs directly with the arguments,
//     detached, or, with flag bit 0, as a child whose end the program thread waits for; the
//     answer is then its exit code (128 + the signal number when a signal ended it);
//   - anything else that exists, and URLs ("scheme:..."), are handed to the desktop's opener
//     "xdg-open", which takes one name, so arguments are not passed on; with flag bit 0 the
//     wait covers the opener, and its failures become start errors.
// Start failures are answered as kStartErrorBase + the start error number (file or path not
// found, access denied, invalid program file, no program for the document); the answer sends
// them reduced by kStartErrorBase.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

void handle_start_program(HandlerContext& context, std::span<const std::uint8_t> payload);

// The words of a command line: blanks and tabs separate words outside double quotes; a double
// quote switches quoting and is dropped ("" gives an empty word).
std::vector<std::string> split_command_words(std::string_view text);

// Registers KWK_KSKOMM of service KWD_KOMM.
void register_local_program_commands(CommandTable& table);

}  // namespace kovw::session
