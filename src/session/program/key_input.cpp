#include "session/program/key_input.h"

#include "session/program/macro_session.h"
#include "shell/macro_comment.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/host_text.h"
#include "session/program/input_fields.h"
#include "session/program/key_buffer.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"

namespace kovw::session {

namespace {

// The control characters that stand for host function keys; the others are dropped.
std::optional<int> control_character_number(char16_t character) {
  switch (character) {
    case 0x03:  // Ctrl+C
      return 33;
    case 0x0F:  // Ctrl+O
      return 30;
    case 0x10:  // Ctrl+P
      return 10;
    case 0x13:  // Ctrl+S
      return 1;
    case 0x16:  // Ctrl+V
      return 34;
    case 0x18:  // Ctrl+X
      return 204;
    default:
      return std::nullopt;
  }
}

std::uint16_t function_code(int number) {
  return static_cast<std::uint16_t>(kFunctionKeyBase + number);
}

int layout(const ProgramSession& session) {
  return session.host_hooks ? session.host_hooks->keyboard_layout : 0;
}

std::uint16_t clamp16(int value) {
  return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

// Characters go as themselves in the ANSI code page; control characters as their function.
void put_characters(ProgramSession& session, const QString& text, int repeat) {
  for (const char32_t character : text.toUcs4()) {
    if (character < 0x20) {
      if (const auto number = control_character_number(static_cast<char16_t>(character)))
        key_put(session, function_code(*number), repeat);
    } else if (field_active(session)) {
      // A field takes the character itself, also one the code page lacks.
      if (!shows_wait_cursor(session)) field_character(session, character, repeat);
    } else {
      key_put(session, foundation::wide_to_ansi(character), repeat);
    }
  }
}

}  // namespace

std::uint16_t message_box_answer_key(const ProgramSession& session, bool positive) {
  const auto number =
      layout_number(layout(session), positive ? HostKey::F2 : HostKey::F3, /*modifiers=*/0);
  return function_code(number.value_or(positive ? 25 : 1));
}

void handle_key_press(ProgramSession& session, const to_program::KeyPress& input) {
  const int repeat = std::max(input.repeat, 1);
  // Ctrl+Tab moves to the key bar; without one the user hears that there is none.
  if (input.key == HostKey::Tab && (input.modifiers & (kModCtrl | kModAlt)) == kModCtrl) {
    host_beep(session);
    return;
  }
  // While a macro records, Shift+F3 of the first layout writes a comment into it.
  if (input.key == HostKey::F3 &&
      (input.modifiers & (kModShift | kModCtrl | kModAlt)) == kModShift && layout(session) == 0 &&
      macro_recording(session)) {
    if (const auto comment = shell::ask_macro_comment())
      macro_write_comment(session, comment->title, comment->text);
    return;
  }
  if (const auto number =
          session.key_translator.translate(layout(session), input.key, input.modifiers)) {
    key_put(session, function_code(*number), repeat);
  } else if ((input.modifiers & (kModAlt | kModCtrl)) != kModAlt) {
    // Alt chords type nothing (Ctrl with Alt is AltGr, which does).
    put_characters(session, input.text, repeat);
  }
  key_send_pending(session);
}

std::vector<std::uint16_t> key_codes(ProgramSession& session, const to_program::KeyPress& input) {
  std::vector<std::uint16_t> codes;
  if (const auto number =
          session.key_translator.translate(layout(session), input.key, input.modifiers)) {
    codes.push_back(function_code(*number));
  } else if ((input.modifiers & (kModAlt | kModCtrl)) != kModAlt) {
    for (const char32_t character : input.text.toUcs4()) {
      if (character < 0x20) {
        if (const auto control = control_character_number(static_cast<char16_t>(character)))
          codes.push_back(function_code(*control));
      } else {
        codes.push_back(foundation::wide_to_ansi(character));
      }
    }
  }
  return codes;
}

void handle_mouse_click(ProgramSession& session, const to_program::MouseClick& input) {
  if (!session.text_screen) return;
  // The view reports the clicked cell of the grid, wherever the window is scrolled to.
  const std::array<std::uint16_t, 3> values{clamp16(input.button_code), clamp16(input.column),
                                            clamp16(input.row)};
  if (key_put_event(session, kKeyMouseEvent, values)) key_send_pending(session);
}

void handle_mouse_wheel(ProgramSession& session, int steps) {
  const std::uint16_t code = steps > 0 ? kKeyWheelAway : kKeyWheelToward;
  const int count = std::min(std::abs(steps), KeyBuffer::kCapacity);
  if (count == 0) return;
  key_put(session, code, count);
  key_send_pending(session);
}

}  // namespace kovw::session
