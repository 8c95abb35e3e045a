#include "session/event_channel.h"

#include <QCoreApplication>
#include <QEvent>

#include "foundation/thread_handoff.h"

namespace kovw::session {

namespace {

// Under the thread sanitizer: tells it that the receiver takes over each event posted through
// a channel (see foundation/thread_handoff.h). Lives in the receiver's thread as its child.
class HandoffFilter : public QObject {
 public:
  explicit HandoffFilter(QObject* target) : QObject(target) { target->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    foundation::handoff_acquire(event);
    return false;
  }
};

}  // namespace

bool EventChannel::post(QEvent* event) {
  {
    std::lock_guard lock(mutex_);
    if (target_ != nullptr) {
      foundation::handoff_release(event);
      QCoreApplication::postEvent(target_, event);
      return true;
    }
  }
  delete event;
  return false;
}

void EventChannel::bind(QObject* target) {
  if (foundation::kThreadSanitizer && target != nullptr) new HandoffFilter(target);
  std::lock_guard lock(mutex_);
  target_ = target;
}

void EventChannel::unbind() {
  std::lock_guard lock(mutex_);
  target_ = nullptr;
}

bool EventChannel::bound() const {
  std::lock_guard lock(mutex_);
  return target_ != nullptr;
}

}  // namespace kovw::session
