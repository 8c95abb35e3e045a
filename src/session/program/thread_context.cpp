#include "session/program/thread_context.h"

namespace kovw::session {

namespace {
thread_local ThreadContext* t_context = nullptr;
}

ThreadContext* thread_context() {
  return t_context;
}
void set_thread_context(ThreadContext* context) {
  t_context = context;
}

}  // namespace kovw::session
