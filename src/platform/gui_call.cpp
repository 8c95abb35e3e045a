#include "platform/gui_call.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
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

// A task for the GUI thread, and whether it still may run: a task bound to a context object is
// dropped when the object went away. The event is the one object both threads share, so the
// thread sanitizer is told that the receiver takes it over (foundation/thread_handoff.h).
class GuiTaskEvent : public QEvent {
 public:
  static QEvent::Type event_type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  GuiTaskEvent(std::function<void()> task, QObject* context)
      : QEvent(event_type()), task(std::move(task)), context(context), bound(context != nullptr) {}
  std::function<void()> task;
  QPointer<QObject> context;
  bool bound;
};

// Receives the tasks on the GUI thread.
class GuiTaskReceiver : public QObject {
 public:
  bool event(QEvent* event) override {
    foundation::handoff_acquire(event);  // before anything of the event is read
    if (event->type() != GuiTaskEvent::event_type()) return QObject::event(event);
    auto* task = static_cast<GuiTaskEvent*>(event);
    if (!task->bound || task->context) task->task();
    return true;
  }
};

// Queues `task` to the GUI thread; false when there is no application.
bool queue_gui_task(std::function<void()> task, QObject* context) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  // Made once, by whichever thread comes first, and handed to the GUI thread for good.
  static GuiTaskReceiver* const receiver = [app] {
    auto* made = new GuiTaskReceiver;
    made->moveToThread(app->thread());
    return made;
  }();
  auto* event = new GuiTaskEvent(std::move(task), context);
  foundation::handoff_release(event);
  QCoreApplication::postEvent(receiver, event);
  return true;
}

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
  // The queued task holds the only reference to the ticket from here on.
  if (!queue_gui_task(
          [ticket = std::move(ticket), &task] {
            task();
            ticket->ran = true;
          },
          nullptr)) {
    return false;
  }
  std::unique_lock lock(waiter->mutex);
  waiter->finished_changed.wait(lock, [&] { return waiter->finished; });
  return waiter->ran;
}

void run_in_background(std::function<void()> work) {
  QThreadPool::globalInstance()->start(std::move(work));
}

void post_to_gui_thread(std::function<void()> task, QObject* context) {
  queue_gui_task(std::move(task), context);
}

}  // namespace kovw::platform
