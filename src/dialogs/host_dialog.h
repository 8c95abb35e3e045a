#pragma once
// Host dialogs: the definition a host sends (KWK_WDIALOG / KWK_GDIALOG: a header record with
// tag 5, button records with tag 6, text lines, a title and a preset input), the state of a
// program window's dialogs (the one shown, the reply it owes, the stack of hidden ones) and the
// one reply layout for every result. Plain C++: the program thread owns a DialogState per
// program window; the view shows what it is told and reports the user's actions.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kovw::dialogs {

inline constexpr int kDialogHeaderTag = 5;
inline constexpr int kDialogButtonTag = 6;
inline constexpr int kDialogTextTag = 16382;
inline constexpr std::size_t kDialogHeaderSize = 72;
inline constexpr std::size_t kDialogButtonSize = 108;
inline constexpr std::size_t kDialogTextMax = 1024;
inline constexpr int kMaxShownButtons = 11;
inline constexpr int kMaxStackedDialogs = 10;

// Header flags.
inline constexpr std::uint16_t kDialogListFilled = 0x0001;
inline constexpr std::uint16_t kDialogInput = 0x0010;
inline constexpr std::uint16_t kDialogHorizontalBar = 0x0040;
inline constexpr std::uint16_t kDialogScrollBar = 0x0080;
inline constexpr std::uint16_t kDialogFixedLines = 0x0100;
inline constexpr std::uint16_t kDialogMovedInList = 0x0200;
inline constexpr std::uint16_t kDialogUtf8Labels = 0x4000;
inline constexpr std::uint16_t kDialogUtf8Lines = 0x8000;

// Result codes of user actions.
inline constexpr int kResultUpAtTop = 1002;
inline constexpr int kResultDownAtBottom = 1003;
inline constexpr int kResultEnter = 1004;
inline constexpr int kResultCloseBox = 1005;
inline constexpr int kResultScrolled = 1006;
inline constexpr int kResultCharacter = -2;

struct DialogButton {
  std::u16string label;
  std::u16string help;
  std::int16_t kept = 0;
  std::int16_t key = 0;
  std::int16_t result = 0;
  std::int16_t button_flags = 0;
  bool hidden() const { return (button_flags & 0x0002) != 0; }
};

// The header values (offsets 0-23 and 56-71 of the record; 24-55 carry nothing back).
struct DialogHeader {
  std::int16_t kind = 0;
  std::uint16_t flags = 0;
  std::int16_t visible_lines = 0;
  std::int16_t width = 0;
  std::int16_t line_count = 0;
  std::int16_t button_count = 0;
  std::int16_t selected = 0;
  std::int16_t line_length = 0;
  std::uint8_t key = 0;
  std::uint8_t changed = 0;
  std::int16_t input_length = 0;
  std::int16_t kept20 = 0, kept22 = 0;
  std::int32_t total_lines = 0;
  std::int32_t first_line = 0;
  std::int32_t options = 0;
  std::int32_t kept68 = 0;
};

struct DialogDefinition {
  DialogHeader header;
  std::vector<std::u16string> lines;
  std::u16string title;
  std::vector<DialogButton> buttons;
  std::u16string input;
  bool has_input() const { return header.kind == 3 || (header.flags & kDialogInput) != 0; }
};

// A definition as it arrived: a whole one, or the tag that was found where another was expected.
struct ParsedDefinition {
  std::optional<DialogDefinition> definition;
  int found_tag = 0, expected_tag = 0;  // when the definition is missing: a wrong field
  std::string error;                    // other faults (counts, truncation)
};

// Parses a definition over `previous` (kind 32 keeps the buttons, kinds 33-37 also the lines
// and title): a temporary that becomes the definition only when it is whole. Lines and the
// input are UTF-8 with header flag 0x8000, title and labels with 0x4000, else the code page.
ParsedDefinition parse_dialog_definition(std::span<const std::uint8_t> payload,
                                         const DialogDefinition& previous);

// The reply: header record (tag 5) with the current values, the result, and for dialogs with an
// input field (except kind 34) the input text.
std::vector<std::uint8_t> build_dialog_reply(const DialogDefinition& definition, int kind,
                                             int result);

// A user action in a shown dialog, as the view reports it.
struct DialogAction {
  enum class Kind {
    Button,
    ListEnter,
    UpAtTop,
    DownAtBottom,
    PageUp,
    PageDown,
    Scroll,
    Wheel,
    Character,
    HostKey,
    CloseBox,
    Moved
  };
  Kind kind = Kind::Button;
  int value = 0;         // button index, scroll position, wheel lines, character or host key
  int selected = 0;      // the list's selection, from 1; 0 none
  std::u16string input;  // the input field's text
  int visible_lines = 0;
};

// What the program does after a definition or an action.
struct DialogStep {
  bool show = false;            // show the current definition (a new dialog)
  bool refill = false;          // refill the shown dialog's list and scroll bar
  bool close = false;           // close the shown dialog
  bool restore = false;         // after closing: the last hidden one comes back (the current one)
  bool hide_for_stack = false;  // before showing: the shown one is hidden on the stack
  std::optional<int> reply;     // send the reply with this result
  int reply_kind = 0;
  std::vector<std::uint8_t> payload;    // the reply's payload
  std::optional<int> message;           // show this catalogue message (-1: message_text alone)
  std::string message_text;             // the text, or the catalogue message's arguments formatted
  int found_tag = 0, expected_tag = 0;  // the arguments of message 10049
};

class DialogState {
 public:
  // A definition from the host.
  DialogStep define(std::span<const std::uint8_t> payload);
  // A user action in the shown dialog. With `hold` (the message-box flag 0x2000 in force: the
  // workstation's own dialog answers) the reply is made but the dialog keeps owing it.
  DialogStep act(const DialogAction& action, bool hold = false);

  const DialogDefinition& definition() const { return current_; }
  bool shown() const { return shown_; }
  int pending_kind() const { return pending_; }
  std::size_t stacked() const { return stack_.size(); }
  // The program window ends: every dialog goes.
  void close_all();

 private:
  struct Saved {
    DialogDefinition definition;
    int pending = -1;
  };
  DialogStep define_step(std::span<const std::uint8_t> payload);
  // Closes the shown dialog; the last hidden one comes back.
  void close_shown(DialogStep& step);

  DialogDefinition current_;
  bool shown_ = false;
  int pending_ = -1;
  std::vector<Saved> stack_;
};

}  // namespace kovw::dialogs
