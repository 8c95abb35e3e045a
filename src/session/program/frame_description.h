#pragma once
// What the program thread tells its view about the frame: an immutable description of the key
// bars, the menu bar and the status bar (built anew for every screen), item state changes,
// context menus to show, status texts; and the item the user chose, posted back.

#include <QColor>
#include <QImage>
#include <QString>
#include <array>
#include <map>
#include <vector>

#include "session/program/key_translation.h"

namespace kovw::session {

// One button, menu entry or popup. Labels are ready for the widgets ("&" marks a mnemonic,
// "&&" is a literal ampersand).
struct FrameEntry {
  int id = 0;  // 0 for separators
  QString label;
  QString help;
  int state = 0;  // item state bits (disabled, pressed look)
  bool separator = false;
  std::vector<FrameEntry> entries;  // a popup's entries
  QImage icon;                      // toolbar buttons: the host's icon (null: a stock one)
  QString icon_name;                // the name of that icon in the host icon set (empty: none)
  int control = 0;                  // toolbar controls: kControlEdit or kControlCombo
  int control_width = 0;            // their width in pixels
};

inline constexpr int kControlEdit = 1;
inline constexpr int kControlCombo = 2;

// The names of the host icons the own frame's title bar looks up before its stock icons.
inline constexpr const char* kIconMinimise = "winmin";
inline constexpr const char* kIconMaximise = "winmax";
inline constexpr const char* kIconRestore = "winres";
inline constexpr const char* kIconClose = "wincls";

// The workstation's own drawn frame (in place of the window system's): a title bar with the
// program icon (it opens the window menu), the menu bar's popups as drop-down buttons, the
// caption and, unless the program is embedded, the window buttons; a border in the caption
// colour; rounded corners.
struct OwnFrameLook {
  bool on = false;
  bool embedded = false;  // only the caption, no border, no buttons, square corners
  int border = 0;         // pixels
  QColor caption, caption_text;
  bool minimise = true;  // the window options leave the minimise button
  bool maximise = true;  // and the maximise / restore button
  int icon_size = 16;    // pixels of the title bar's icons (its buttons are 4 larger)
  // The host icons of the window buttons that the host icon set holds (kIconMinimise ...).
  std::map<QString, QImage> icons;
};

// A key that chooses an item (icon views).
struct FrameAccelerator {
  int id = 0;
  KeyChord key;
};

struct FrameDescription {
  OwnFrameLook own;
  bool encrypted = false;  // the program's link is encrypted: its program icon says so
  std::array<std::vector<FrameEntry>, 4> bars;  // top, right, bottom, left
  std::vector<FrameEntry> menus;                // the menu bar's popups
  std::vector<FrameEntry> toolbar;              // icon buttons and gaps (separators)
  bool status_bar = false;
  QString status_text;
  // Icon views: keys that choose items, and Ctrl+P, which moves the focus into the toolbar's
  // first control (and from there back to the view).
  std::vector<FrameAccelerator> accelerators;
  bool control_focus_key = false;
};

}  // namespace kovw::session
