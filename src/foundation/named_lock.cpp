// Named locks with the optional HV_THREAD_LOG trace, the thread count and "HV-default".
#include "foundation/named_lock.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "foundation/log.h"

namespace kovw::foundation {

namespace {

std::atomic<bool> g_trace{false};
std::once_flag g_trace_setting_read;
// Set while the calling thread writes a trace line: the log lock taken by that write (and
// any other lock operation on the way) is not traced again.
thread_local bool t_in_trace = false;

std::mutex g_threads_mutex;  // count changes and the creation and removal of "HV-default"
std::atomic<int> g_thread_count{0};
std::atomic<NamedLock*> g_default_lock{nullptr};
// Removed default locks are kept, not freed: other threads may still hold the pointer.
std::vector<NamedLock*>& retired_locks() {
  static auto* locks = new std::vector<NamedLock*>;
  return *locks;
}

__attribute__((format(printf, 3, 4))) void trace(const char* file, int line, const char* format,
                                                 ...) {
  if (!g_trace.load(std::memory_order_relaxed) || t_in_trace) return;
  t_in_trace = true;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  log_printf("HVTHREADS %s(%d): %s", file ? file : "", line, text);
  t_in_trace = false;
}

int traced_result(const char* file, int line, int result) {
  trace(file, line, "retc = %d", result);
  return result;
}

const char* name_of(const NamedLock* lock) {
  return lock ? lock->name().c_str() : "NULL";
}

void read_trace_setting() {
  std::call_once(g_trace_setting_read, [] {
    const char* value = std::getenv("HV_THREAD_LOG");
    if (value && std::strtol(value, nullptr, 10) > 0) g_trace.store(true);
  });
}

}  // namespace

NamedLock::NamedLock(std::string_view name) : name_(name.substr(0, kLockNameMax)) {}

void NamedLock::lock() {
  mutex_.lock();
  owner_.store(std::this_thread::get_id());
  depth_.fetch_add(1, std::memory_order_relaxed);
}

bool NamedLock::unlock() {
  if (!held_by_caller()) return false;
  if (depth_.fetch_sub(1, std::memory_order_relaxed) == 1) owner_.store(std::thread::id{});
  mutex_.unlock();
  return true;
}

bool NamedLock::held_by_caller() const {
  return owner_.load() == std::this_thread::get_id();
}

NamedLock* hvt_create_critical_ex(const char* name, const char* file, int line) {
  trace(file, line, "hvt_create_critical_ex(%s)", name ? name : "NULL");
  NamedLock* lock = name ? new NamedLock(name) : nullptr;
  traced_result(file, line, lock ? 0 : -1);
  return lock;
}

int hvt_enter_critical_ex(NamedLock* lock, const char* file, int line) {
  if (!lock) {
    trace(file, line, "hvt_enter_critical_ex(%s) %d", name_of(lock), 0);
    return traced_result(file, line, -1);
  }
  lock->lock();
  trace(file, line, "hvt_enter_critical_ex(%s) %d", name_of(lock), lock->depth());
  return traced_result(file, line, 0);
}

int hvt_leave_critical_ex(NamedLock* lock, const char* file, int line) {
  if (!lock || !lock->held_by_caller()) {
    trace(file, line, "hvt_leave_critical_ex(%s) %d", name_of(lock), 0);
    return traced_result(file, line, -1);
  }
  // The trace line is written before the release, while the nesting count is still ours.
  trace(file, line, "hvt_leave_critical_ex(%s) %d", name_of(lock), lock->depth() - 1);
  lock->unlock();
  return traced_result(file, line, 0);
}

namespace {

int destroy_lock(NamedLock* lock, const char* file, int line, bool free_memory) {
  trace(file, line, "hvt_destroy_critical_ex(%s)", name_of(lock));
  if (!lock) return traced_result(file, line, -1);
  if (lock->depth() != 0) return traced_result(file, line, -1);  // still held: kept
  if (free_memory) delete lock;
  return traced_result(file, line, 0);
}

}  // namespace

int hvt_destroy_critical_ex(NamedLock* lock, const char* file, int line) {
  return destroy_lock(lock, file, line, true);
}

int hvt_init_threads(const char* file, int line) {
  read_trace_setting();
  std::lock_guard<std::mutex> guard(g_threads_mutex);
  const int count = g_thread_count.load() + 1;
  trace(file, line, "hvt_init_threads (Anzahl %d)", count);
  if (count == 1) g_default_lock.store(hvt_create_critical_ex("HV-default", file, line));
  g_thread_count.store(count);
  return traced_result(file, line, 0);
}

int hvt_end_threads(const char* file, int line) {
  std::lock_guard<std::mutex> guard(g_threads_mutex);
  const int count = g_thread_count.load();
  trace(file, line, "hvt_end_threads (Anzahl %d) ", count > 0 ? count - 1 : 0);
  if (count <= 0) return traced_result(file, line, -1);
  g_thread_count.store(count - 1);
  if (count == 1) {
    if (NamedLock* lock = g_default_lock.exchange(nullptr)) {
      destroy_lock(lock, file, line, false);
      retired_locks().push_back(lock);
    }
  }
  return traced_result(file, line, 0);
}

int hvt_thread_count() {
  return g_thread_count.load();
}

NamedLock* hvt_default_lock() {
  return g_default_lock.load();
}

void hvt_set_trace(bool on) {
  std::call_once(g_trace_setting_read, [] {});
  g_trace.store(on);
}

bool hvt_trace_enabled() {
  return g_trace.load();
}

NamedLockGuard::NamedLockGuard(NamedLock* lock, const char* file, int line)
    : lock_(lock), file_(file), line_(line) {
  if (lock_) hvt_enter_critical_ex(lock_, file_, line_);
}

NamedLockGuard::~NamedLockGuard() {
  if (lock_) hvt_leave_critical_ex(lock_, file_, line_);
}

}  // namespace kovw::foundation
