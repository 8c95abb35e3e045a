#pragma once
// The timing of a macro's playback for one program: which record is next, when it is due, what
// the status window shows while it waits, and whether the record answers what the host program
// asks now. Plain logic over a clock it is given, so the waits are tested without waiting; the
// program thread polls it from a timer and never sleeps.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/macro_file.h"

namespace kovw::session {

using MacroClock = std::function<std::chrono::steady_clock::time_point()>;

class MacroPlayback {
 public:
  // `opened`: when the file was opened (the first record's wait counts from there).
  MacroPlayback(std::vector<protocol::MacroRecord> records, protocol::MacroWaitRule rule,
                MacroClock clock);

  enum class Action {
    Wait,  // not due yet, or nothing to play now
    Play,  // `record` is due and answers what is asked: send it
    Skip,  // `record` was due but of another kind than asked: consumed without effect
    End,   // no records left
  };
  struct Step {
    Action action = Action::Wait;
    const protocol::MacroRecord* record = nullptr;  // with Play and Skip
    // The status text when it changed since the last poll ("" when unchanged).
    std::string status;
    int next_poll_ms = 100;  // when polling again is useful
  };

  // `expected`: the kind the host program waits for, or nullopt when it waits for nothing in
  // particular (then only menu selections and keys, which the user gives unasked, are played).
  Step poll(std::optional<std::int32_t> expected);

  bool finished() const { return next_ >= records_.size(); }
  // The wait before the next record (after comments), for tests and the log.
  std::optional<int> next_wait_ms();

 private:
  void skip_comments();

  std::vector<protocol::MacroRecord> records_;
  protocol::MacroWaitRule rule_;
  MacroClock clock_;
  std::size_t next_ = 0;
  std::chrono::steady_clock::time_point last_;  // when the record before was played
  std::string shown_;
};

// The text of the status window with `remaining_ms` left before the next record: a countdown of
// the whole seconds that remain after the current one while more than 1100 ms remain (a 5 s wait
// shows 4, 3, 2, 1), else the plain playback text.
std::string macro_wait_status(int remaining_ms);

}  // namespace kovw::session
