#include "shell/exit_code.h"

namespace kovw::shell {

int process_exit_code(long result) {
  if (result >= 0 && result <= 255) return static_cast<int>(result);
  if (result >= 300000) return kExitWorkflowHostError;
  if (result >= 200000) return kExitWorkflowSystemError;
  return kExitOtherResult;
}

}  // namespace kovw::shell
