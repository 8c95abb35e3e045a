#pragma once
// The editing of one input field: what typed characters and host keys do to its text, when
// the user leaves it and with which key, and the contents that go back to the host. Plain C++:
// the program thread owns one per program window and feeds it the keys of the user (and the
// keys typed ahead before the field appeared); the view only draws what it shows.
//
// The text always holds `capacity` characters (blank-padded). Overwrite is the default; the
// insert key toggles insert mode, which moves the rest right and drops the last character.

#include <cstdint>
#include <optional>
#include <string>

#include "dialogs/field_request.h"
#include "dialogs/field_values.h"

namespace kovw::dialogs {

// Host key codes a field handles itself.
inline constexpr int kKeyFieldLeft = 200;
inline constexpr int kKeyFieldRight = 201;
inline constexpr int kKeyFieldBackspace = 202;
inline constexpr int kKeyFieldDelete = 203;
inline constexpr int kKeyFieldChanged = 204;
inline constexpr int kKeyFieldInsert = 205;
inline constexpr int kKeyFieldHardcopy = 10;
inline constexpr int kKeyFieldClearRest = 3;
// Exit keys the field sets itself.
inline constexpr int kExitFull = 0;
inline constexpr int kExitRight = 18;
inline constexpr int kExitLeft = 19;
inline constexpr int kExitClick = 101;

// "Smart Edit" setting bits.
inline constexpr int kSmartEditNumeric = 0x2;
inline constexpr int kSmartEditText = 0x4;
inline constexpr int kSmartEditDefault = 6;

// Editing state bits.
inline constexpr int kStateClearOnType = 0x01;
inline constexpr int kStatePresetUntouched = 0x02;
inline constexpr int kStateChanged = 0x08;
inline constexpr int kStateCalculating = 0x10;

// What a key did.
struct FieldStep {
  bool left = false;      // the field was left: the reply is due
  int exit_key = 0;       // with this key
  bool beep = false;      // the key was refused
  bool hardcopy = false;  // the window's hardcopy was asked for
};

class FieldEditor {
 public:
  // A field for `request` holding `contents` (converted to wide text; padded or cut to the
  // capacity), with the "Smart Edit" setting; date and time fields show and read their values
  // in the user's `style` (field_values.h).
  FieldEditor(const FieldRequest& request, std::u16string contents, int smart_edit,
              const DateStyle& style = {});

  FieldStep type(char16_t character, int repeat = 1);
  FieldStep key(int host_key);
  // A click on cell (`column`, `row`) of the screen with button code `kind` (1 left): a left
  // click inside the field moves the cursor there; any other leaves it with kExitClick.
  FieldStep click(int column, int row, int kind);

  const FieldRequest& request() const { return request_; }
  std::uint32_t flags() const { return flags_; }
  int state() const { return state_; }
  int cursor() const { return cursor_; }
  bool insert_mode() const { return (flags_ & kFieldInsert) != 0; }
  const std::u16string& text() const { return text_; }
  // What the field shows: the text, or "*" for hidden input (every position while an
  // untouched preset shows, else the positions before the cursor).
  std::u16string shown_text() const;
  // The click that left the field (kExitClick).
  int mouse_column() const { return mouse_column_; }
  int mouse_row() const { return mouse_row_; }
  int mouse_info() const { return mouse_info_; }

  // The contents for the reply: exactly the field's length in bytes (blank-padded; UTF-8
  // without marker for UTF-8 fields, else `text_flags` of the program); a replaced hidden
  // preset enciphered; dates and times in the host's form. `length` gets the length to report.
  std::string reply_contents(int text_flags, int* length) const;
  // What a log line may show of `contents`: hidden input as "*" of its length.
  std::string logged_contents(const std::string& contents) const {
    return (flags_ & kFieldHidden) ? std::string(contents.size(), '*') : contents;
  }

 private:
  int capacity() const;
  bool calculating() const { return (state_ & kStateCalculating) != 0; }
  FieldStep leave(int exit_key);
  void store(char16_t character);

  FieldRequest request_;
  std::uint32_t flags_;
  int classes_;
  DateStyle style_;
  int state_ = 0;
  int cursor_ = 0;
  std::u16string text_;
  int mouse_column_ = 0, mouse_row_ = 0, mouse_info_ = 0;
};

}  // namespace kovw::dialogs
