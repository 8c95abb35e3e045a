#include "session/view/onscreen_keyboard_layout.h"

#include <Qt>

namespace kovw::session {

namespace {

constexpr KeyCap row_end() {
  return {};
}
constexpr KeyCap gap(int units) {
  return {0, units, {}, false};
}
constexpr KeyCap key(int qt_key, int units, const char* plain, const char* shift = nullptr,
                     const char* altgr = nullptr, const char* ctrl = nullptr) {
  return {qt_key, units, {plain, shift ? shift : plain, altgr, ctrl ? ctrl : plain}, false};
}
constexpr KeyCap pad(int qt_key, int units, const char* label) {
  return {qt_key, units, {label, label, nullptr, label}, true};
}
// A letter: lower case plain, capital with Shift and Ctrl.
constexpr KeyCap letter(int qt_key, const char* lower, const char* upper,
                        const char* altgr = nullptr) {
  return {qt_key, 10, {lower, upper, altgr, upper}, false};
}
constexpr KeyCap function(int number, int units) {
  return {Qt::Key_F1 + number - 1, units, {}};
}

constexpr KeyCap kFull[] = {
    // Row 1: F7 to F12.
    function(7, 16),
    function(8, 16),
    function(9, 16),
    function(10, 16),
    function(11, 16),
    function(12, 16),
    row_end(),
    // Row 2: F1 to F6, Insert, Home, Page Up.
    function(1, 16),
    function(2, 16),
    function(3, 16),
    function(4, 16),
    function(5, 16),
    function(6, 16),
    gap(4),
    key(Qt::Key_Insert, 14, "Einfg"),
    key(Qt::Key_Home, 14, "Pos 1"),
    key(Qt::Key_PageUp, 14, "Bild ^"),
    row_end(),
    // Row 3.
    key(Qt::Key_Control, 14, "Strg/Ctrl."),
    key(Qt::Key_AsciiCircum, 10, "^", "°"),
    key(Qt::Key_1, 10, "1", "!"),
    key(Qt::Key_2, 10, "2", "\"", "²"),
    key(Qt::Key_3, 10, "3", "§", "³"),
    key(Qt::Key_4, 10, "4", "$"),
    key(Qt::Key_5, 10, "5", "%"),
    key(Qt::Key_6, 10, "6", "&"),
    key(Qt::Key_7, 10, "7", "/", "{"),
    key(Qt::Key_8, 10, "8", "(", "["),
    key(Qt::Key_9, 10, "9", ")", "]"),
    key(Qt::Key_0, 10, "0", "=", "}"),
    key(Qt::Key_ssharp, 10, "ß", "?", "\\"),
    key(Qt::Key_acute, 10, "´", "`"),
    key(Qt::Key_Backspace, 14, "<---"),
    gap(4),
    key(Qt::Key_Delete, 10, "Entf"),
    key(Qt::Key_End, 10, "Ende"),
    key(Qt::Key_PageDown, 10, "Bild v"),
    row_end(),
    // Row 4.
    key(Qt::Key_Tab, 14, "-->|"),
    letter(Qt::Key_Q, "q", "Q", "@"),
    letter(Qt::Key_W, "w", "W"),
    letter(Qt::Key_E, "e", "E", "€"),
    letter(Qt::Key_R, "r", "R"),
    letter(Qt::Key_T, "t", "T"),
    letter(Qt::Key_Z, "z", "Z"),
    letter(Qt::Key_U, "u", "U"),
    letter(Qt::Key_I, "i", "I"),
    letter(Qt::Key_O, "o", "O"),
    letter(Qt::Key_P, "p", "P"),
    letter(Qt::Key_Udiaeresis, "ü", "Ü"),
    key(Qt::Key_Plus, 10, "+", "*", "~"),
    key(Qt::Key_Return, 20, "Eingabe"),
    row_end(),
    // Row 5.
    key(Qt::Key_CapsLock, 17, "Lock"),
    letter(Qt::Key_A, "a", "A"),
    letter(Qt::Key_S, "s", "S"),
    letter(Qt::Key_D, "d", "D"),
    letter(Qt::Key_F, "f", "F"),
    letter(Qt::Key_G, "g", "G"),
    letter(Qt::Key_H, "h", "H"),
    letter(Qt::Key_J, "j", "J"),
    letter(Qt::Key_K, "k", "K"),
    letter(Qt::Key_L, "l", "L"),
    letter(Qt::Key_Odiaeresis, "ö", "Ö"),
    letter(Qt::Key_Adiaeresis, "ä", "Ä"),
    key(Qt::Key_NumberSign, 10, "#", "'"),
    key(Qt::Key_AltGr, 14, "AltGr"),
    gap(11),
    key(Qt::Key_Up, 10, "hoch"),
    row_end(),
    // Row 6.
    key(Qt::Key_Shift, 12, "Groß"),
    key(Qt::Key_Less, 10, "<", ">", "|"),
    letter(Qt::Key_Y, "y", "Y"),
    letter(Qt::Key_X, "x", "X"),
    letter(Qt::Key_C, "c", "C"),
    letter(Qt::Key_V, "v", "V"),
    letter(Qt::Key_B, "b", "B"),
    letter(Qt::Key_N, "n", "N"),
    letter(Qt::Key_M, "m", "M", "µ"),
    key(Qt::Key_Comma, 10, ",", ";"),
    key(Qt::Key_Period, 10, ".", ":"),
    key(Qt::Key_Minus, 10, "-", "_"),
    key(Qt::Key_Space, 30, "Leerzeichen"),
    key(Qt::Key_Left, 10, "links"),
    key(Qt::Key_Down, 10, "runter"),
    key(Qt::Key_Right, 10, "rechts"),
    row_end(),
};

constexpr KeyCap kNumeric[] = {
    function(7, 20),
    function(8, 20),
    function(9, 20),
    function(10, 20),
    function(11, 20),
    function(12, 20),
    row_end(),
    function(1, 20),
    function(2, 20),
    function(3, 20),
    function(4, 20),
    function(5, 20),
    function(6, 20),
    row_end(),
    key(Qt::Key_Control, 20, "Strg/Ctrl."),
    pad(Qt::Key_7, 14, "7"),
    pad(Qt::Key_8, 14, "8"),
    pad(Qt::Key_9, 14, "9"),
    pad(Qt::Key_Minus, 14, "-"),
    key(Qt::Key_Backspace, 20, "<---"),
    gap(4),
    key(Qt::Key_Insert, 20, "Einfg"),
    key(Qt::Key_Home, 20, "Pos 1"),
    key(Qt::Key_PageUp, 20, "Bild ^"),
    row_end(),
    key(Qt::Key_Tab, 20, "-->|"),
    pad(Qt::Key_4, 14, "4"),
    pad(Qt::Key_5, 14, "5"),
    pad(Qt::Key_6, 14, "6"),
    pad(Qt::Key_Plus, 14, "+"),
    key(Qt::Key_Return, 20, "Eingabe"),
    gap(4),
    key(Qt::Key_Delete, 20, "Entf"),
    key(Qt::Key_End, 20, "Ende"),
    key(Qt::Key_PageDown, 20, "Bild v"),
    row_end(),
    gap(20),
    pad(Qt::Key_1, 14, "1"),
    pad(Qt::Key_2, 14, "2"),
    pad(Qt::Key_3, 14, "3"),
    pad(Qt::Key_Period, 14, "."),
    gap(44),
    key(Qt::Key_Up, 20, "hoch"),
    row_end(),
    key(Qt::Key_Shift, 20, "Groß"),
    pad(Qt::Key_0, 28, "0"),
    pad(Qt::Key_Comma, 14, ","),
    key(Qt::Key_Space, 36, "Leerzeichen"),
    gap(2),
    key(Qt::Key_Left, 20, "links"),
    key(Qt::Key_Down, 20, "runter"),
    key(Qt::Key_Right, 20, "rechts"),
    row_end(),
};

}  // namespace

std::span<const KeyCap> full_keyboard() {
  return kFull;
}
std::span<const KeyCap> numeric_keyboard() {
  return kNumeric;
}

}  // namespace kovw::session
