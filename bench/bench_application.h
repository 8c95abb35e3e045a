#pragma once
// The application object of the benchmarks that run program sessions, and a loop that runs its
// events until a condition holds.

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <functional>

#include "foundation/named_lock.h"

namespace kovw::bench {

// The process's application on the offscreen platform, made at the first call; message boxes
// take their unattended form.
inline QApplication& bench_application() {
  static int argc = 1;
  static char name[] = "kovw_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* instance = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KOVW_UNATTENDED", "1", 1);
    foundation::hvt_init_threads(__FILE__, __LINE__);
    return new QApplication(argc, argv);
  }();
  return *instance;
}

// Runs events until `done` holds (true) or 20 seconds passed (false). With `idle_wait` the loop
// also deletes what was deleted later and sleeps a millisecond a turn, for measurements of
// memory at rest; without it the loop spins, for measurements of latency.
inline bool pump_until(const std::function<bool()>& done, bool idle_wait) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 20000) return false;
    if (idle_wait) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QThread::msleep(1);
    } else {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
  }
  return true;
}

}  // namespace kovw::bench
