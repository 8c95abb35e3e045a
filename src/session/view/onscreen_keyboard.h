#pragma once
// The on-screen keyboard: a window of buttons that types into whatever field has the focus, for
// touch screens and users who cannot use a keyboard. It never takes the focus itself: the
// widget that had it last (outside the keyboards) is the target, and a pressed key reaches it
// as the key press and release a real keyboard would give, with the modifiers the keyboard's
// Shift, Ctrl, Alt, AltGr and Caps Lock buttons hold.
//
// Shift, Ctrl, Alt, AltGr and Caps Lock toggle (and clear the other modifiers; Shift does
// nothing while Caps Lock is on); the labels show the column the next key types. A key clears
// Shift, Ctrl, Alt and AltGr again; Caps Lock stays. Function keys are labelled with the names
// of the host functions they send in the user's keyboard layout.

#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <span>
#include <vector>

#include "session/view/onscreen_keyboard_layout.h"

namespace kovw::session {

class OnScreenKeyboard : public QWidget {
 public:
  // A keyboard of `caps` (`units` across, six rows) for keyboard layout `layout` (the
  // "Keyboard" setting), owned by `owner`.
  OnScreenKeyboard(std::span<const KeyCap> caps, int units, int layout, QWidget* owner);

  // The button of a key (the keypad's with `keypad`), or null.
  QPushButton* button(int qt_key, bool keypad = false) const;
  // Where the next key goes, or null.
  QWidget* target() const { return target_; }
  // Makes `widget` the target (tests; normally the focus decides).
  void set_target(QWidget* widget) { target_ = widget; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Key {
    const KeyCap* cap;
    QPushButton* button;
    int row;
    int unit;  // its left edge in units
  };

  void press(const Key& key);
  // Toggles a modifier button; true when `qt_key` is one.
  bool toggle(int qt_key);
  void relabel();
  int column() const;
  QString label(const KeyCap& cap, int column) const;
  void place_buttons();
  void focus_changed(QWidget* now);

  std::vector<Key> keys_;
  int units_;
  int layout_;
  bool shift_ = false, ctrl_ = false, alt_ = false, altgr_ = false, caps_ = false;
  QPointer<QWidget> target_;
};

// Opens the on-screen keyboards of the "Virtual Keyboard" setting (`setting` bit 0: the full
// keyboard; with bit 1 also the numeric one beside it) for keyboard layout `layout`, owned by
// the shell's main window; they live as long as it does. Does nothing when bit 0 is clear.
void open_onscreen_keyboards(QWidget* owner, int setting, int layout);

}  // namespace kovw::session
