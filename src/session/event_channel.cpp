#include "session/event_channel.h"

#include <QCoreApplication>
#include <QEvent>

namespace kovw::session {

bool EventChannel::post(QEvent* event) {
  {
    std::lock_guard lock(mutex_);
    if (target_ != nullptr) {
      QCoreApplication::postEvent(target_, event);
      return true;
    }
  }
  delete event;
  return false;
}

void EventChannel::bind(QObject* target) {
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
