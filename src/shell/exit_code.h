#pragma once
// Exit statuses. A process status has 8 bits here: results that fit are returned as they
// are; the large workflow results are written in full to the log and to the workflow
// protocol file and mapped to a small documented code.

namespace kovw::shell {

inline constexpr int kExitOk = 0;
inline constexpr int kExitOtherResult = 1;          // any other result above 255
inline constexpr int kExitCommandLineError = 2;     // the command line was refused
inline constexpr int kExitWorkflowHostError = 3;    // workflow: 300000 + the daemon's error code
inline constexpr int kExitWorkflowSystemError = 4;  // workflow: 200000 + a system error
inline constexpr int kExitStartFailure = 255;       // the workstation could not start

// The process status for a workstation result.
int process_exit_code(long result);

}  // namespace kovw::shell
