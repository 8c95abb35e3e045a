#pragma once
// The per-thread state block of a program thread, reached through a thread-local pointer that
// the program thread sets for its lifetime (null on every other thread). Code deep in the
// message handlers finds its session and the host library version here without threading
// them through every call.

#include <cstdint>
#include <string>

#include "protocol/program/host_versions.h"

namespace kovw::session {

struct ProgramSession;

struct ThreadContext {
  ProgramSession* session = nullptr;  // null until the session exists and after it is freed
  std::string window_text = "KOVT";   // names the thread's windows
  std::string short_name;             // at most 16 bytes: window text, later the caption
  int host_version = protocol::kDefaultHostVersion;  // until KINIT reports one
  int link_timeout_ms = 0;                           // receive time-out of this thread's link
  std::uint32_t exit_flags = 0;  // bits the host sets with KCFLAG, reported in WML_ENDE
  // 1 while the host waits for a key it asked for (KWK_WTEST found no keys): the next key goes
  // at once, also in single-key mode.
  int host_waits_for_keys = 0;
};

// The calling thread's block, or null when the thread is not a program thread.
ThreadContext* thread_context();
// Installs `context` for the calling thread (null removes it).
void set_thread_context(ThreadContext* context);

}  // namespace kovw::session
