#pragma once
// The keys a program's user typed and the host has not read yet: a ring of 32 16-bit codes per
// session. Mouse events take four entries (0x0165 and its button code, column and row) and go
// in whole or not at all. Codes leave the ring as one KWK_WTAST message: all of them in normal
// mode, one key at a time when the screen asks for single keys (style bit 8).

#include <array>
#include <cstdint>
#include <vector>

#include "protocol/program/program_window.h"

namespace kovw::session {

struct ProgramSession;

// Key codes besides characters and host function keys (0x0100 + n).
inline constexpr std::uint16_t kKeyWheelAway = 0x0108;    // one per 120 wheel units
inline constexpr std::uint16_t kKeyWheelToward = 0x0109;  // towards the user
inline constexpr std::uint16_t kKeyMouseEvent = 0x0165;   // button code, column, row follow
inline constexpr std::uint16_t kKeyClose = 0x01FF;        // the user closed the window

class KeyBuffer {
 public:
  static constexpr int kCapacity = 32;

  int count() const { return count_; }
  bool empty() const { return count_ == 0; }
  int room() const { return kCapacity - count_; }

  // Stores one code; false when the buffer is full.
  bool put(std::uint16_t code);
  // Stores an event code with its three values, all four entries or none (false then).
  bool put_event(std::uint16_t code, const std::array<std::uint16_t, 3>& values);
  void clear();

  // Takes the oldest keys: all of them, or at most `limit` when `limit` is not negative. An
  // event with its values counts as one key.
  std::vector<protocol::KeyEvent> take(int limit = -1);

 private:
  std::array<std::uint16_t, kCapacity> codes_{};
  std::array<bool, kCapacity> event_{};  // the entry starts an event with three values
  int read_ = 0;
  int write_ = 0;
  int count_ = 0;
};

// Whether the program shows the wait cursor: typed keys are dropped meanwhile.
bool shows_wait_cursor(const ProgramSession& session);

// Stores `code` `repeat` times while there is room; a full buffer loses the key with the
// warning beep (unless beeps are off). While the program shows the wait cursor keys are
// dropped. Returns the number of codes stored.
int key_put(ProgramSession& session, std::uint16_t code, int repeat = 1);
// Stores a mouse event (code with button code, column, row) when all four entries fit;
// dropped like keys while the wait cursor shows.
bool key_put_event(ProgramSession& session, std::uint16_t code,
                   const std::array<std::uint16_t, 3>& values);

// Whether the program reads single keys (style bit 8 of its screen definition).
bool single_key_mode(const ProgramSession& session);

// Sends buffered keys as one KWK_WTAST message: all of them in normal mode; in single-key mode
// at most `limit` keys (0 sends nothing). Returns the number of keys sent.
int key_send(ProgramSession& session, int limit);

// After new keys: when the buffer holds keys, sends them with the host-waits note as limit
// (so a single-key host gets a key only when it asked for one) and clears the note.
void key_send_pending(ProgramSession& session);

// KWK_WTEST (and KWK_WTAST after the output is flushed): the host waits for keys. Buffered keys
// go at once (one in single-key mode); otherwise the note makes the next key go at once.
void key_request(ProgramSession& session);

}  // namespace kovw::session
