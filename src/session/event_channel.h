#pragma once
// A mailbox to an object on another thread. The poster never waits for the receiver: it only
// queues an event. When the receiving object is gone (its thread ended, its windows were
// destroyed) posting deletes the event instead, so no event ever reaches a dead object.
//
// The receiver binds itself when it exists and unbinds in its destructor, on its own thread.
// The channel's mutex is held only for the instant of queueing or (un)binding.

#include <QObject>
#include <memory>
#include <mutex>

class QEvent;

namespace kovw::session {

class EventChannel {
 public:
  // Queues `event` for the bound object (taking ownership); false (event deleted) when none.
  bool post(QEvent* event);
  void bind(QObject* target);
  void unbind();
  bool bound() const;

 private:
  mutable std::mutex mutex_;
  QObject* target_ = nullptr;
};

using ChannelPtr = std::shared_ptr<EventChannel>;

}  // namespace kovw::session
