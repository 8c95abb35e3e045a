#pragma once
// Named locks: recursive locks with a name, taken and released with the caller's source file
// and line so that an optional trace (environment variable HV_THREAD_LOG) can show who does
// what. The process-wide lock "HV-default" exists while the thread count is not 0; code all
// over the workstation takes it around shared data (see DefaultLockGuard).

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace kovw::foundation {

// Longest name of a lock.
inline constexpr std::size_t kLockNameMax = 63;

class NamedLock {
 public:
  explicit NamedLock(std::string_view name);
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;

  const std::string& name() const { return name_; }

  // Untraced; the trace goes through the hvt_ functions. Recursive like a critical section.
  void lock();
  // false (and nothing released) when the calling thread does not hold the lock.
  bool unlock();
  bool held_by_caller() const;
  // How often the holder has entered the lock (0 when free). Exact only for the holder.
  int depth() const { return depth_.load(std::memory_order_relaxed); }

 private:
  std::recursive_mutex mutex_;
  std::string name_;
  std::atomic<int> depth_{0};
  std::atomic<std::thread::id> owner_{};
};

// Creates a lock (the name is cut to 63 characters); nullptr only for a null name.
NamedLock* hvt_create_critical_ex(const char* name, const char* file, int line);
// 0 on success, -1 for a null lock.
int hvt_enter_critical_ex(NamedLock* lock, const char* file, int line);
// 0 on success, -1 for a null lock or one the caller does not hold.
int hvt_leave_critical_ex(NamedLock* lock, const char* file, int line);
// 0 on success, -1 for a null lock or one that is still held (it is then kept).
int hvt_destroy_critical_ex(NamedLock* lock, const char* file, int line);

// Counts the running threads up; the first call creates "HV-default" and reads HV_THREAD_LOG
// (a positive number switches the trace on). Returns 0.
int hvt_init_threads(const char* file, int line);
// Counts down; going from 1 to 0 removes "HV-default". Returns 0, -1 when the count is 0.
int hvt_end_threads(const char* file, int line);
int hvt_thread_count();
// The process-wide lock, nullptr while the thread count is 0. A pointer once obtained stays
// valid for the whole run, even after the lock has been removed.
NamedLock* hvt_default_lock();

// Switches the trace explicitly (HV_THREAD_LOG is then no longer read).
void hvt_set_trace(bool on);
bool hvt_trace_enabled();

// Takes a lock for the lifetime of the guard, with the trace of the hvt_ functions. The
// caller's file and line are filled in by the compiler.
class NamedLockGuard {
 public:
  explicit NamedLockGuard(NamedLock* lock, const char* file = __builtin_FILE(),
                          int line = __builtin_LINE());
  ~NamedLockGuard();
  NamedLockGuard(const NamedLockGuard&) = delete;
  NamedLockGuard& operator=(const NamedLockGuard&) = delete;

 private:
  NamedLock* lock_;
  const char* file_;
  int line_;
};

// Takes "HV-default" for the lifetime of the guard while the thread count is not 0; a no-op
// before start-up has counted the first thread.
class DefaultLockGuard {
 public:
  explicit DefaultLockGuard(const char* file = __builtin_FILE(), int line = __builtin_LINE())
      : guard_(hvt_default_lock(), file, line) {}

 private:
  NamedLockGuard guard_;
};

}  // namespace kovw::foundation
