#pragma once
// The workstation's own drawn frame around a program's main window: a title bar (the program's
// window menu, the caption, minimise, maximise and close), a border in the caption colour and
// rounded corners. The window system moves and sizes the window (startSystemMove and
// startSystemResize); where it cannot (some platforms refuse, the offscreen one has no
// pointer), the frame follows the pointer itself. An embedded program's frame shows only the
// caption: no buttons, no border, square corners, and it neither moves nor sizes.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include "session/program/frame_description.h"

class QLabel;
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

class OwnTitleBar : public QWidget {
 public:
  // `window_menu` is filled by the caller (hardcopy) after the window's own entries.
  OwnTitleBar(QWidget* window, const OwnFrameLook& look);

  QLabel* caption() const { return caption_; }
  QToolButton* menu_button() const { return menu_; }
  QToolButton* minimise_button() const { return minimise_; }
  QToolButton* maximise_button() const { return maximise_; }
  QToolButton* close_button() const { return close_; }

 private:
  QLabel* caption_ = nullptr;
  QToolButton* menu_ = nullptr;
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
