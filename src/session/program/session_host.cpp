#include "session/program/session_host.h"

#include <mutex>

namespace kovw::session {

namespace {

std::mutex g_host_mutex;
std::shared_ptr<const SessionHost> g_host = std::make_shared<SessionHost>();

}  // namespace

void set_session_host(SessionHost host) {
  auto next = std::make_shared<const SessionHost>(std::move(host));
  std::lock_guard lock(g_host_mutex);
  g_host = std::move(next);
}

std::shared_ptr<const SessionHost> session_host() {
  std::lock_guard lock(g_host_mutex);
  return g_host;
}

EventChannel& shell_channel() {
  static EventChannel channel;
  return channel;
}

}  // namespace kovw::session
