#include "platform/gui_call.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "foundation/thread_handoff.h"

namespace kovw::platform {
namespace {

struct Waiter {
  std::mutex mutex;
  std::condition_variable finished_changed;
  bool finished = false;
  bool ran = false;
};

// Wakes the waiting thread when the queued call is gone. The queued closure holds the only
// reference, so the ticket dies with it: after the call ran, or when the event that carried it
// was deleted unrun (the application object went away). The caller therefore never returns
// while the closure could still use its stack.
class Ticket {
 public:
  explicit Ticket(std::shared_ptr<Waiter> waiter) : waiter_(std::move(waiter)) {}
  Ticket(const Ticket&) = delete;
  Ticket& operator=(const Ticket&) = delete;
  ~Ticket() {
    std::lock_guard lock(waiter_->mutex);
    waiter_->finished = true;
    waiter_->ran = ran;
    waiter_->finished_changed.notify_all();
  }
  bool ran = false;

 private:
  std::shared_ptr<Waiter> waiter_;
};

}  // namespace

bool run_on_gui_thread(const std::function<void()>& task) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QCoreApplication::closingDown()) return false;
  if (QThread::currentThread() == app->thread()) {
    task();
    return true;
  }
  auto waiter = std::make_shared<Waiter>();
  auto ticket = std::make_shared<Ticket>(waiter);
  foundation::handoff_release(ticket.get());
  QMetaObject::invokeMethod(
      app,
      [ticket, &task] {
        foundation::handoff_acquire(ticket.get());
        task();
        ticket->ran = true;
      },
      Qt::QueuedConnection);
  ticket.reset();  // from here on only the queued closure holds it
  std::unique_lock lock(waiter->mutex);
  waiter->finished_changed.wait(lock, [&] { return waiter->finished; });
  return waiter->ran;
}

void post_to_gui_thread(std::function<void()> task, QObject* context) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  if (context == nullptr) context = app;
  auto handed = std::make_shared<std::function<void()>>(std::move(task));
  foundation::handoff_release(handed.get());
  QMetaObject::invokeMethod(
      context,
      [handed] {
        foundation::handoff_acquire(handed.get());
        (*handed)();
      },
      Qt::QueuedConnection);
}

}  // namespace kovw::platform
