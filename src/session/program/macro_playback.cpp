#include "session/program/macro_playback.h"

#include <algorithm>
#include <cstdio>

#include "shell/macro_state.h"

namespace kovw::session {

namespace {

bool given_unasked(std::int32_t kind) {
  return kind == protocol::kMacroMenu || kind == protocol::kMacroKeys;
}

}  // namespace

std::string macro_wait_status(int remaining_ms) {
  if (remaining_ms <= 1100) return shell::macro_texts::kPlayback;
  const int seconds = (remaining_ms - 1000 + 999) / 1000;
  char text[96];
  std::snprintf(text, sizeof text, shell::macro_texts::kPlaybackWaiting, seconds);
  return text;
}

MacroPlayback::MacroPlayback(std::vector<protocol::MacroRecord> records,
                             protocol::MacroWaitRule rule, MacroClock clock)
    : records_(std::move(records)), rule_(rule), clock_(std::move(clock)), last_(clock_()) {
  skip_comments();
}

void MacroPlayback::skip_comments() {
  while (next_ < records_.size() && records_[next_].kind == protocol::kMacroComment) ++next_;
}

std::optional<int> MacroPlayback::next_wait_ms() {
  if (finished()) return std::nullopt;
  return protocol::macro_wait_ms(rule_, records_[next_].wait_ms);
}

MacroPlayback::Step MacroPlayback::poll(std::optional<std::int32_t> expected) {
  Step step;
  if (finished()) {
    step.action = Action::End;
    return step;
  }
  const protocol::MacroRecord& record = records_[next_];
  // A record the host has not asked for yet waits for its question, however late it comes.
  if (!expected && !given_unasked(record.kind)) return step;

  const auto due = last_ + std::chrono::milliseconds(*next_wait_ms());
  const auto now = clock_();
  const long long remaining =
      std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
  const std::string status = macro_wait_status(static_cast<int>(std::max(remaining, 0LL)));
  if (status != shown_) {
    shown_ = status;
    step.status = status;
  }
  if (remaining > 0) {
    // Poll again when the countdown changes, or when the record is due.
    const long long seconds = remaining > 1100 ? (remaining - 1000 + 999) / 1000 : 0;
    step.next_poll_ms = static_cast<int>(std::max(1LL, remaining - 1000 * seconds));
    return step;
  }
  last_ = now;
  step.record = &record;
  ++next_;
  skip_comments();
  const bool answers = expected ? record.kind == *expected : true;
  step.action = answers ? Action::Play : Action::Skip;
  step.next_poll_ms = 1;
  return step;
}

}  // namespace kovw::session
