#pragma once
// The workstation connecting back to a host program or print job of hostsim.

#include <atomic>

namespace hostsim {

// Waits up to `wait_ms` (or until `stop`) for the workstation on `listen_socket`, which is
// closed either way; the accepted socket, or -1.
int accept_workstation(int listen_socket, int wait_ms, const std::atomic<bool>& stop);

}  // namespace hostsim
