#pragma once
// The keys of the on-screen keyboards: the full keyboard (German layout, 194 units across, six
// rows) and the numeric one (160 units, six rows). A keyboard is a list of key caps in rows;
// a cap without a key and without width ends a row, one without a key but with a width is a
// gap of that many units.

#include <array>
#include <span>

namespace kovw::session {

// The columns of a cap's labels: what the key types plain, with Shift (or Caps Lock), with
// AltGr and with Ctrl. Function keys are labelled with the host function names instead.
enum KeyColumn { kColumnPlain = 0, kColumnShift = 1, kColumnAltGr = 2, kColumnCtrl = 3 };

struct KeyCap {
  int qt_key = 0;                       // Qt::Key; 0 for a row end or a gap
  int units = 0;                        // width in units of the keyboard
  std::array<const char*, 4> labels{};  // UTF-8; null where a column types nothing
  bool keypad = false;                  // a key of the numeric keypad
};

inline constexpr int kFullKeyboardUnits = 194;
inline constexpr int kNumericKeyboardUnits = 160;
inline constexpr int kKeyboardRows = 6;

std::span<const KeyCap> full_keyboard();
std::span<const KeyCap> numeric_keyboard();

}  // namespace kovw::session
