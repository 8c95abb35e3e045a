#pragma once
// When the text screen's changes go to the view. Output that arrives while the view is idle
// goes at once, so a single output costs no latency; output that follows while an update is
// still on its way to the view is held and coalesced, and goes as one update when the view is
// done with the previous one, or at the latest kLongestHold after it was first held. A flush
// (before a key read or any reply to the host) sends whatever is held at once.
//
// Lives on the program thread. The view's receipt of an update reaches it as an event, through a
// channel of its own, so an update that outlives the pacer notifies nobody.

#include <QBasicTimer>
#include <QObject>
#include <chrono>
#include <functional>

#include "session/event_channel.h"

namespace kovw::session {

class TextOutputPacer : public QObject {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kLongestHold{40};

  // `post` hands the current changes to the view as one update; the update calls the function
  // it is given once the view is done with it (or when it never reaches the view).
  using PostUpdate = std::function<void(std::function<void()> done)>;

  explicit TextOutputPacer(PostUpdate post);
  ~TextOutputPacer() override;

  // Output changed the screen.
  void changed();
  // Hands the changes to the view at once, held or not (the caller knows there are some).
  void flush();

  bool holding() const { return held_; }
  int updates_in_flight() const { return in_flight_; }

 protected:
  bool event(QEvent* event) override;

 private:
  void post_now();

  PostUpdate post_;
  ChannelPtr receipts_;
  int in_flight_ = 0;  // updates posted and not yet done with by the view
  bool held_ = false;
  Clock::time_point held_since_;
  QBasicTimer deadline_;
};

}  // namespace kovw::session
