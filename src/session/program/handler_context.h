#pragma once
// What a feature handler works with instead of the whole program session: the way its answers
// go to the host, the program's view, its key input, and the session facts it reads or sets. The
// command table builds one over the session for every message such a handler serves
// (session_context.h); tests build one over fakes, without a thread or a link.

#include <QStringList>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "protocol/outgoing.h"
#include "session/window_messages.h"

namespace kovw::session {

struct SessionHost;

// Answers to the host program.
class Replies {
 public:
  virtual ~Replies() = default;

  // Sends one message; returns the bytes sent or -1. `file` and `line` name the sender in the
  // link's trace.
  int send(int service, int type, std::span<const std::uint8_t> payload,
           const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    return deliver(service, type, payload, file, line);
  }
  int send(const protocol::Outgoing& message, const char* file = __builtin_FILE(),
           int line = __builtin_LINE()) {
    return deliver(message.service, message.type, message.payload, file, line);
  }

  // Sends a Retc answer: the first `count` (1 to 4) of the values as integer items under the
  // request's service and type; logs "Send Retc %d/ %d - %d - %d - %d".
  int send_retc(int count, int service, int type, std::int32_t first, std::int32_t second = 0,
                std::int32_t third = 0, std::int32_t fourth = 0);

 protected:
  virtual int deliver(int service, int type, std::span<const std::uint8_t> payload,
                      const char* file, int line) = 0;
};

// The program's widgets on the GUI thread.
class ViewPort {
 public:
  virtual ~ViewPort() = default;
  // Posts `message` to the view; false when the view is gone.
  virtual bool post(ViewMessage message) = 0;
};

// The program's key input, as far as a handler answers the host with keys.
class KeyPort {
 public:
  virtual ~KeyPort() = default;
  // Forgets the keys typed and not yet read by the host.
  virtual void clear() = 0;
  // Sends the host the function key that answers a message box: F2 for `positive`, else F3,
  // as the user's keyboard layout types them.
  virtual void send_box_answer(bool positive) = 0;
};

struct HandlerContext {
  Replies& replies;
  ViewPort& view;
  KeyPort& keys;
  // The shell's settings as the session took them (beeps, slow-connection level, custom
  // colours).
  const SessionHost& host;

  // Facts of the host program.
  int host_version = 0;           // the library version KINIT reported
  int text_flags = 0;             // how its texts convert (foundation::host_to_wide, wide_to_host)
  std::int64_t main_window = 0;   // 0 until the windows exist
  const std::string& connection;  // the connection name (start title)

  // Facts a handler sets: the window caption, and the short name that follows it.
  std::string& caption;
  std::string& short_name;

  // Takes the local files dropped on the content window and not yet asked for, oldest first.
  std::function<QStringList()> take_dropped_files;
};

}  // namespace kovw::session
