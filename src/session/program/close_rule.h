#pragma once
// The repeated-close rule: what a close request from the program's window does. A request
// more than five seconds after the previous one goes to the current screen's close handler
// (a text screen sends the close key to the host). Requests in quick succession, and every
// request to a host library older than 0x030003, are only counted: the one that finds two
// counted requests before it asks the user whether to abandon the program.

#include <chrono>

namespace kovw::session {

class CloseRule {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Action { ScreenHandler, Nothing, AskUser };

  static constexpr std::chrono::seconds kInterval{5};
  static constexpr int kOldHostVersion = 0x030003;  // older host libraries always count

  Action attempt(Clock::time_point now, int host_version);

 private:
  bool has_previous_ = false;
  Clock::time_point previous_{};
  int count_ = 0;
};

}  // namespace kovw::session
