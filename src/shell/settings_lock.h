#pragma once
// The process-wide lock around settings that program threads may save as well as the main
// thread (date, window sizes, custom colours, browser login data).

#include <mutex>

namespace kovw::shell {

class GlobalLockGuard {
 public:
  GlobalLockGuard() { mutex().lock(); }
  ~GlobalLockGuard() { mutex().unlock(); }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

 private:
  static std::recursive_mutex& mutex() {
    static std::recursive_mutex m;
    return m;
  }
};

}  // namespace kovw::shell
