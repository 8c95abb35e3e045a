#pragma once
// The handler context over a running program session: answers go out on the session's link
// (dt_send), view messages to its widgets, and the facts are the session's own.

#include "session/program/handler_context.h"

namespace kovw::session {

struct ProgramSession;

// Answers on the session's link.
class LinkReplies : public Replies {
 public:
  explicit LinkReplies(ProgramSession& session) : session_(session) {}

 protected:
  int deliver(int service, int type, std::span<const std::uint8_t> payload, const char* file,
              int line) override;

 private:
  ProgramSession& session_;
};

// Runs `handler` with a context over `session`.
void run_in_session_context(ProgramSession& session,
                            const std::function<void(HandlerContext&)>& handler);

}  // namespace kovw::session
