#pragma once
// Where a received program-link message goes: a table from its (service, type) to the handler
// of the feature module that serves it. Each module registers its handlers into the table
// (register_..._commands); dt_command looks every message up and logs the ones nobody
// handles. Handlers run on the program thread. A handler takes either a narrow context
// (handler_context.h: the replies, the view and the session facts it uses), built over the
// session for each message, or the whole session (answering with dt_send or dt_send_retc).

#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>

namespace kovw::net {
struct LinkMessage;
}

namespace kovw::session {

struct ProgramSession;
struct HandlerContext;

// One received message as its handler sees it.
struct Command {
  int service = 0;
  int type = 0;
  std::span<const std::uint8_t> payload;
};

using CommandHandler = std::function<void(ProgramSession&, const Command&)>;
using ContextHandler = std::function<void(HandlerContext&, const Command&)>;

class CommandTable {
 public:
  // Registers `handler` for (service, type). A pair has one handler: a second registration
  // is refused (false) and the first one stays.
  bool add(int service, int type, CommandHandler handler);
  // The same for a handler that takes a context; the table runs it with one over the session.
  bool add(int service, int type, ContextHandler handler);
  // The handler of (service, type), or null; a handler that takes a context comes with the
  // session's context built around it.
  const CommandHandler* find(int service, int type) const;
  // The handler of (service, type) as it was registered when it takes a context, or null.
  const ContextHandler* find_context_handler(int service, int type) const;
  std::size_t size() const { return handlers_.size(); }

 private:
  static std::uint64_t key(int service, int type);
  std::unordered_map<std::uint64_t, CommandHandler> handlers_;
  std::unordered_map<std::uint64_t, ContextHandler> context_handlers_;
};

// The table of every program link, filled by the feature modules once.
const CommandTable& program_commands();

// Runs the handler of the message in `table`; a message without one is logged as
// "dt_command: <service>/<type> (<service>/<type>) Len <length> noch nicht behandelt".
void dispatch_command(const CommandTable& table, ProgramSession& session,
                      const net::LinkMessage& header, std::span<const std::uint8_t> payload);

}  // namespace kovw::session
