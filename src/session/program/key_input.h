#pragma once
// The user's input on a text screen as the program thread receives it from the view: key
// presses, mouse clicks on cells and wheel turns become key codes in the session's key buffer,
// which are then sent as far as the host waits for them.

#include <QString>
#include <cstdint>
#include <utility>

#include "session/program/key_translation.h"
#include "session/window_messages.h"

namespace kovw::session {

struct ProgramSession;

// WML_KEY_PRESS: a key press in the content window. `text` holds the characters it types (a
// control character for Ctrl with a letter), empty for keys that type none.
class KeyPressInput : public WmlEvent {
 public:
  KeyPressInput(HostKey key, int modifiers, int repeat, QString typed)
      : WmlEvent(WML_KEY_PRESS), key(key), modifiers(modifiers), repeat(repeat) {
    text = std::move(typed);
  }
  HostKey key;
  int modifiers;  // kModShift, kModCtrl, kModAlt
  int repeat;     // the key's repeat count (at least 1)
};

// WML_MOUSE_CLICK: a button released after a press on the text screen: the mouse button code
// (1 left, 2 middle or both, 3 right, + 10 for a double click, + 20 x the modifier bits held at
// the press) and the cell under the pointer, counted from the first visible cell.
class MouseClickInput : public WmlEvent {
 public:
  MouseClickInput(int button_code, int column, int row)
      : WmlEvent(WML_MOUSE_CLICK), button_code(button_code), column(column), row(row) {}
  int button_code;
  int column;
  int row;
};

// WML_MOUSE_WHEEL carries the wheel steps in wParam: positive away from the user, one per 120
// units.

// The host function key that answers a message box with `positive` (F2) or any other answer
// (F3) in the session's layout, as the code sent to the host.
std::uint16_t message_box_answer_key(const ProgramSession& session, bool positive);

void handle_key_press(ProgramSession& session, const KeyPressInput& input);
void handle_mouse_click(ProgramSession& session, const MouseClickInput& input);
void handle_mouse_wheel(ProgramSession& session, int steps);

}  // namespace kovw::session
