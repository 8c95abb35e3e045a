#pragma once
// The workflow key: login values that workflow mode (-x) keeps between runs.

#include <string>

#include "platform/registry.h"
#include "shell/start_options.h"

namespace kovw::shell {

// Writes the values given on the command line: "KOVD Port" (-xv); "User", "Domain" and
// "Password" (-xb), the password enciphered once more for storage; "Host" (-xr). Returns 0,
// or -1 when the store could not be written.
int dwf_save_settings(platform::Registry& registry, const WorkflowOptions& values);
// Reads all five values into `values` ("KOVD Port" 4724 when missing) and deciphers the
// stored password once, so that it is in the same form as after parsing; user and password
// count as given when stored, as do host and port. Returns 0, or -1 without the key.
int dwf_load_settings(platform::Registry& registry, WorkflowOptions& values);

// The clear text of the enciphered workflow user name (up to its first zero byte).
std::string workflow_user(const WorkflowOptions& values);

}  // namespace kovw::shell
