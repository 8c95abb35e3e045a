#pragma once
// The link of a program session: sending a message (dt_send), receiving and dispatching one
// (dt_receive), and the messages on the server daemon link that announce a session (KINFO,
// KEND). All of it runs on the program thread.

#include <cstdint>
#include <span>
#include <vector>

#include "net/link_message.h"

namespace kovw::session {

struct ProgramSession;

// Sends one message on the program link; returns the bytes sent or -1. A failure on a link that
// is still alive asks Retry/Cancel (message 10038); a dead link is reported once and ends the
// program, and every later send returns -1 at once.
int dt_send(ProgramSession& session, int service, int type, const void* payload, int length,
            const char* file = __builtin_FILE(), int line = __builtin_LINE());
inline int dt_send(ProgramSession& session, int service, int type,
                   const std::vector<std::uint8_t>& payload, const char* file = __builtin_FILE(),
                   int line = __builtin_LINE()) {
  return dt_send(session, service, type, payload.data(), static_cast<int>(payload.size()), file,
                 line);
}

// One read notification of the link: receives a step of the current frame and, when the frame
// is complete, dispatches it. A closed or broken link ends the program.
void dt_receive(ProgramSession& session);

// The command dispatch of a received message.
void dt_command(ProgramSession& session, const net::LinkMessage& header,
                std::span<const std::uint8_t> payload);

// Payloads of the server-link notifications.
std::vector<std::uint8_t> build_kinfo(int host_pid, std::int64_t start_time,
                                      std::span<const std::uint8_t> title_host_text);
std::vector<std::uint8_t> build_kend(int host_pid);
void send_kinfo(const ProgramSession& session);
void send_kend(const ProgramSession& session);

}  // namespace kovw::session
