#pragma once
// The link of a program session: sending a message (dt_send), receiving and dispatching one
// (dt_receive), and the messages on the server daemon link that announce a session (KINFO,
// KEND). All of it runs on the program thread.

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
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
// is complete, dispatches it. A keep-alive is dropped before it is decoded. A closed or broken
// link ends the program.
void dt_receive(ProgramSession& session);

// The rest of a started frame did not arrive within the net time-out: the link is broken.
void frame_timed_out(ProgramSession& session);

// A program link must introduce its host program (KINIT or KRECONNECT) within this time, or it
// is closed: a peer that connects and stays silent does not hold a thread for ever.
inline constexpr std::chrono::milliseconds kIntroductionTimeout{60000};
// At most this many program links may wait for their introduction at once; further links are
// refused (logged and closed) until some have introduced themselves or ended.
inline constexpr int kMaxLinksAwaitingIntroduction = 64;

// The time-out in force (kIntroductionTimeout unless a test set another).
std::chrono::milliseconds introduction_timeout();
// Counts a new link among those waiting; false (the refusal logged with `peer`) when the cap is
// reached.
bool admit_awaiting_link(const std::string& peer);
// The session's link no longer waits (introduced, or the session ends); counted down once.
void end_awaiting_introduction(ProgramSession& session);
// An admitted link whose session never started.
void withdraw_awaiting_link();
// The introduction did not come in time: logs it, closes the link and ends the program.
void introduction_timed_out(ProgramSession& session);
// Program links waiting now.
int links_awaiting_introduction();

// The command dispatch of a received message.
void dt_command(ProgramSession& session, const net::LinkMessage& header,
                std::span<const std::uint8_t> payload);

// Payloads of the server-link notifications.
std::vector<std::uint8_t> build_kinfo(int host_pid, std::int64_t start_time,
                                      std::span<const std::uint8_t> title_host_text);
std::vector<std::uint8_t> build_kend(int host_pid);
void send_kinfo(const ProgramSession& session);
void send_kend(const ProgramSession& session);

namespace testing {
// Sets the introduction time-out and the cap (0: the defaults).
void set_introduction_limits(std::chrono::milliseconds timeout, int cap);
}  // namespace testing

}  // namespace kovw::session
