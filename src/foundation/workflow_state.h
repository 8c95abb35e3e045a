#pragma once
// Process-wide state of workflow mode (command-line option -x): whether it is on, the
// protocol file that message texts are appended to, and the workflow result that becomes
// the exit code.

#include <string>

namespace kovw::foundation {

void set_workflow_mode(bool on);
bool workflow_mode();

// The workflow protocol file (already expanded to a real path).
void set_workflow_protocol_path(const std::string& path);
std::string workflow_protocol_path();

// The workflow result: 0 at start.
void set_workflow_result(int result);
int workflow_result();
// Sets the result only while it is still 0; true when it was set.
bool set_workflow_result_if_unset(int result);

// Appends `text` and a line end to the protocol file; false when the file cannot be opened
// or written.
bool append_workflow_protocol(const std::string& text);

}  // namespace kovw::foundation
