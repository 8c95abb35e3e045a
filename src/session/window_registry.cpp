#include "session/window_registry.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <unordered_map>

namespace kovw::session {

namespace {

std::atomic<std::int64_t> g_next_handle{0x10002};

std::unordered_map<std::int64_t, QPointer<QWidget>>& registry() {
  static std::unordered_map<std::int64_t, QPointer<QWidget>> widgets;  // GUI thread only
  return widgets;
}

}  // namespace

std::int64_t new_window_handle() {
  return g_next_handle.fetch_add(2);
}

QWidget* registered_window(std::int64_t handle) {
  const auto found = registry().find(handle);
  return found == registry().end() ? nullptr : found->second.data();
}

void register_window(std::int64_t handle, QWidget* window) {
  registry()[handle] = window;
}

void unregister_window(std::int64_t handle) {
  registry().erase(handle);
}

}  // namespace kovw::session
