#include "foundation/workflow_state.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace kovw::foundation {
namespace {

std::atomic<bool> g_workflow_mode{false};
std::atomic<int> g_workflow_result{0};

// Guards the protocol path and serialises appends so that lines of different threads do
// not interleave.
std::mutex& protocol_mutex() {
  static std::mutex mutex;
  return mutex;
}
std::string& protocol_path() {
  static std::string path;
  return path;
}

}  // namespace

void set_workflow_mode(bool on) {
  g_workflow_mode.store(on);
}
bool workflow_mode() {
  return g_workflow_mode.load();
}

void set_workflow_protocol_path(const std::string& path) {
  std::lock_guard lock(protocol_mutex());
  protocol_path() = path;
}

std::string workflow_protocol_path() {
  std::lock_guard lock(protocol_mutex());
  return protocol_path();
}

void set_workflow_result(int result) {
  g_workflow_result.store(result);
}
int workflow_result() {
  return g_workflow_result.load();
}

bool set_workflow_result_if_unset(int result) {
  int expected = 0;
  return g_workflow_result.compare_exchange_strong(expected, result);
}

bool append_workflow_protocol(const std::string& text) {
  std::lock_guard lock(protocol_mutex());
  if (protocol_path().empty()) return false;
  std::FILE* file = std::fopen(protocol_path().c_str(), "a");
  if (!file) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fputc('\n', file) != EOF && ok;
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

}  // namespace kovw::foundation
