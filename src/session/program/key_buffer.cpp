#include "session/program/key_buffer.h"

#include "session/program/input_fields.h"

#include <algorithm>

#include "foundation/log.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"

namespace kovw::session {

bool KeyBuffer::put(std::uint16_t code) {
  if (count_ >= kCapacity) return false;
  codes_[static_cast<std::size_t>(write_)] = code;
  event_[static_cast<std::size_t>(write_)] = false;
  write_ = (write_ + 1) % kCapacity;
  ++count_;
  return true;
}

bool KeyBuffer::put_event(std::uint16_t code, const std::array<std::uint16_t, 3>& values) {
  if (room() < 4) return false;
  const int start = write_;
  put(code);
  for (const std::uint16_t value : values) put(value);
  event_[static_cast<std::size_t>(start)] = true;
  return true;
}

void KeyBuffer::clear() {
  read_ = write_ = count_ = 0;
}

std::vector<protocol::KeyEvent> KeyBuffer::take(int limit) {
  std::vector<protocol::KeyEvent> keys;
  auto next = [this] {
    const std::uint16_t code = codes_[static_cast<std::size_t>(read_)];
    read_ = (read_ + 1) % kCapacity;
    --count_;
    return code;
  };
  while (count_ > 0 && (limit < 0 || static_cast<int>(keys.size()) < limit)) {
    const bool event = event_[static_cast<std::size_t>(read_)];
    protocol::KeyEvent key;
    key.code = next();
    // An event always went in with its three values (put_event), so they are there.
    if (event) key.mouse = std::array<std::uint16_t, 3>{next(), next(), next()};
    keys.push_back(key);
  }
  return keys;
}

bool shows_wait_cursor(const ProgramSession& session) {
  return session.cursor_kind == kCursorWait;
}

int key_put(ProgramSession& session, std::uint16_t code, int repeat) {
  if (shows_wait_cursor(session)) return 0;
  if (field_active(session)) {
    field_code(session, code, repeat);
    return std::max(repeat, 1);
  }
  int stored = 0;
  for (; stored < std::max(repeat, 1); ++stored) {
    if (!session.keys.put(code)) {
      host_beep(session);  // the key is lost
      break;
    }
  }
  return stored;
}

bool key_put_event(ProgramSession& session, std::uint16_t code,
                   const std::array<std::uint16_t, 3>& values) {
  if (shows_wait_cursor(session)) return false;
  if (field_active(session) && code == kKeyMouseEvent) {
    field_click(session, values);
    return true;
  }
  if (session.keys.put_event(code, values)) return true;
  host_beep(session);
  return false;
}

bool single_key_mode(const ProgramSession& session) {
  return (session.screen_style & protocol::kStyleNoCaret) != 0;
}

int key_send(ProgramSession& session, int limit) {
  const bool single = single_key_mode(session);
  if (session.keys.empty() || (single && limit <= 0)) return 0;
  const std::vector<protocol::KeyEvent> keys = session.keys.take(single ? limit : -1);
  foundation::log_printf("Send Key Data");
  const protocol::Outgoing message = protocol::build_key_data(keys);
  dt_send(session, message.service, message.type, message.payload);
  return static_cast<int>(keys.size());
}

void key_send_pending(ProgramSession& session) {
  if (session.keys.empty()) return;
  key_send(session, session.host_waits_for_keys ? 1 : 0);
  session.host_waits_for_keys = false;
}

void key_request(ProgramSession& session) {
  if (session.keys.empty()) {
    session.host_waits_for_keys = true;
    return;
  }
  key_send(session, 1);
  session.host_waits_for_keys = false;
}

}  // namespace kovw::session
