#include "session/program/close_rule.h"

namespace kovw::session {

CloseRule::Action CloseRule::attempt(Clock::time_point now, int host_version) {
  const bool quick = has_previous_ && now - previous_ < kInterval;
  Action action;
  if (quick || host_version < kOldHostVersion) {
    action = count_ == 2 ? Action::AskUser : Action::Nothing;
    ++count_;
  } else {
    count_ = 0;
    action = Action::ScreenHandler;
  }
  has_previous_ = true;
  previous_ = now;
  return action;
}

}  // namespace kovw::session
