#pragma once
// The workstation's own drawn frame around a program's main window: a title bar (the program
// icon that opens the window menu, the menu bar's popups as drop-down buttons, the caption,
// minimise, maximise and close), a border in the caption colour and rounded corners. The window
// system moves and sizes the window (startSystemMove and startSystemResize); where it cannot (some
// platforms refuse, the offscreen one has no pointer), the frame follows the pointer itself. An
// embedded program's frame shows only the caption: no buttons, no border, square corners, and it
// neither moves nor sizes.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

#include "session/program/frame_description.h"

class QLabel;
class QMenu;
class QToolButton;

namespace kovw::session {

// Pressing within this many pixels of the bottom-right corner sizes the window; elsewhere it
// moves. The window never gets smaller than kOwnFrameMinimum on either side.
inline constexpr int kOwnFrameGrip = 49;
inline constexpr int kOwnFrameMinimum = 50;
inline constexpr int kOwnFrameCornerRadius = 8;

// True when `position` (in the window) lies in the sizing corner of a window of `size`.
bool in_size_grip(QPoint position, QSize size);
// The size a drag asks for, kept at least kOwnFrameMinimum on both sides.
QSize own_frame_size(QSize wanted);

// The title bar. Its buttons show icons of look.icon_size pixels on buttons 4 pixels larger;
// the window buttons take the host's icons named in `look.icons` ("winmin", "winmax",
// "winres", "wincls"), else the style's, else the texts "_", "#" and "x".
class OwnTitleBar : public QWidget {
 public:
  // `encrypted`: the program's link is encrypted (the program icon shows a padlock). The caller
  // fills the window menu of menu_button().
  OwnTitleBar(QWidget* window, const OwnFrameLook& look, bool encrypted);

  // Adds a drop-down button for `menu` (a popup of the menu bar) after the earlier ones, before
  // the caption. The button shows the menu action's text (with its mnemonic) and follows its
  // enabled state and text.
  QToolButton* add_drop_down(QMenu* menu);
  // New host icons: the window buttons that name one show it.
  void set_icons(const std::map<QString, QImage>& icons);

  // The tool caption after the caption (hidden while empty).
  void set_tool_caption(const QString& text);

  QLabel* caption() const { return caption_; }
  QLabel* tool_caption() const { return tool_caption_; }
  QToolButton* menu_button() const { return menu_; }
  bool encrypted() const { return encrypted_; }
  const std::vector<QToolButton*>& drop_downs() const { return drop_downs_; }
  QToolButton* minimise_button() const { return minimise_; }
  QToolButton* maximise_button() const { return maximise_; }
  QToolButton* close_button() const { return close_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A window button's host icon name, the style's icon (a QStyle::StandardPixmap) and the text
  // shown without either.
  struct ButtonLook {
    const char* host_icon;
    int stock_icon;
    const char* text;
  };
  static const ButtonLook kMinimiseLook, kMaximiseLook, kRestoreLook, kCloseLook;
  QToolButton* window_button(const ButtonLook& look);
  void show_window_icon(QToolButton* button, const ButtonLook& look);
  // The maximise button shows "winres" while the window is maximised.
  void show_maximise_state();

  QWidget* window_;
  int icon_size_;
  bool encrypted_;
  std::map<QString, QImage> icons_;
  QLabel* caption_ = nullptr;
  QLabel* tool_caption_ = nullptr;
  QToolButton* menu_ = nullptr;
  std::vector<QToolButton*> drop_downs_;
  QToolButton* minimise_ = nullptr;
  QToolButton* maximise_ = nullptr;
  QToolButton* close_ = nullptr;
};

// Moves and sizes `window` by the mouse on its title bar and border, and keeps its corners
// rounded. Installed as an event filter on the window (mouse presses of the title bar and the
// border reach it there).
class OwnFrameMouse : public QObject {
 public:
  OwnFrameMouse(QWidget* window, bool embedded);

  // A press at `local` (window coordinates), `global` on the screen: asks the window system to
  // move or size the window, or starts following the pointer. False when nothing starts.
  bool begin(QPoint local, QPoint global);
  // The pointer moved to `global` while the button is down (when the frame follows it).
  void drag(QPoint global);
  void end();
  // Recomputes the rounded corners for the window's size.
  void update_mask();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Drag { None, Move, Size };
  QPointer<QWidget> window_;
  bool embedded_;
  Drag drag_ = Drag::None;
  QPoint start_global_;
  QRect start_geometry_;
};

}  // namespace kovw::session
