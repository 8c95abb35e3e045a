#pragma once
// The translation of key presses into host function keys: three keyboard layouts (the
// "Keyboard" setting) name the keys that carry a function and give each key a number n for
// the plain key, with Shift and with Ctrl; the key code sent to the host is 0x0100 + n.
// Escape (and F6 in layout 2) types no code but makes the next translated key act as if a
// modifier were held, for keyboards and hands that find the chords awkward.
//
// Plain C++: the view maps its toolkit's keys onto HostKey (text_input.h).

#include <cstdint>
#include <optional>

namespace kovw::session {

// The keys the layouts name (and Escape, which starts the prefix).
enum class HostKey : std::uint8_t {
  None,
  Escape,
  Backspace,
  Tab,
  Return,
  PageUp,
  PageDown,
  End,
  Select,
  Home,
  Left,
  Up,
  Right,
  Down,
  Insert,
  Delete,
  PrintScreen,
  Help,
  Execute,
  Pause,
  OemE3,  // OEM keys 0xE3, 0xE8 and 0xE5 of the terminal keyboards layout 2 is made for
  OemE8,
  OemE5,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  F13,
  F14,
  F15,
  F16,
  F17,
  F18,
  F19,
  F20,
};

// The function key Fn (1 to 20), or None.
HostKey function_key(int number);

// A key with modifier bits.
struct KeyChord {
  HostKey key = HostKey::None;
  int modifiers = 0;
  friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

// Modifier bits of a key press (and of a mouse button code, where they count 20 each).
inline constexpr int kModShift = 1;
inline constexpr int kModCtrl = 2;
inline constexpr int kModAlt = 4;

inline constexpr int kLayoutCount = 3;

// The first code of the host function keys: function key n is sent as kFunctionKeyBase + n.
inline constexpr std::uint16_t kFunctionKeyBase = 0x0100;

// The number n of `key` in `layout` with the modifier bits held, or nothing for a key without a
// function. A layout outside 0 to 2 counts as layout 0. With Alt held only F4 and F10 are
// translated; with Shift and Ctrl together Shift wins. No prefix is involved.
std::optional<int> layout_number(int layout, HostKey key, int modifiers);

// The key that gives number `n` in `layout`: a plain key before one with Shift, before one with
// Ctrl; nothing when the layout has no key for it (Escape, the prefix, is never one).
std::optional<KeyChord> key_for_number(int layout, int n);

// The name of host function n as keyboards label it ("Ende" for 1, "Hilfe" for 7), or null for
// a function without a name. UTF-8.
const char* host_function_name(int n);

// The translation with the escape prefix: one per session, since the prefix lasts from one key
// press to the next.
class KeyTranslator {
 public:
  // Translates a key press in `layout`. A prefix key (Escape; F6 in layout 2) only sets the
  // prefix and gives nothing; the next key that has a number uses the prefix's modifier and
  // clears it.
  std::optional<int> translate(int layout, HostKey key, int modifiers);
  // The modifier the prefix adds to the next key (0 none).
  int pending() const { return pending_; }
  void clear() { pending_ = 0; }

 private:
  int pending_ = 0;
};

}  // namespace kovw::session
