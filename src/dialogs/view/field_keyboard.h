#pragma once
// Dialog input fields and the on-screen keyboard: a watched field tells the keyboard when it
// gets and loses the focus, so that the keyboard (the numeric one for numeric fields) shows
// while the field is being typed into. The keyboard lives above this layer and installs the
// hook; without one, watching does nothing.

#include <QWidget>
#include <functional>

namespace kovw::dialogs {

// Called with the field, whether it takes numbers, and whether it now has the focus (false
// also when it goes away while it had it).
using FieldKeyboardHook = std::function<void(QWidget* field, bool numeric, bool focused)>;

void set_field_keyboard_hook(FieldKeyboardHook hook);
void watch_field_for_keyboard(QWidget* field, bool numeric);

}  // namespace kovw::dialogs
