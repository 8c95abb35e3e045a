#include "session/view/window_operations.h"

#include <QWidget>

#include "session/program/window_map.h"

namespace kovw::session {

namespace {

// A minimised window comes back in the state it had before; a maximised one stays maximised.
void restore(QWidget& window) {
  if (window.isWindow() && window.isMinimized())
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
}

void set_topmost(QWidget& window, bool topmost) {
  if (!window.isWindow() || window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
    return;
  // Changing a window's flags takes it off the screen; the caller shows it again.
  window.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
}

void bring_forward(QWidget& window) {
  window.raise();
  window.activateWindow();
}

}  // namespace

bool apply_window_operation(QWidget& window, int operation) {
  switch (operation) {
    case kMapShowTopmost:
    case kMapShowNotTopmost:
      set_topmost(window, operation == kMapShowTopmost);
      [[fallthrough]];
    case kMapShow:
    case kMapRestore:
      restore(window);
      bring_forward(window);
      return true;
    case kMapLower:
      window.lower();
      return true;
    case kMapMinimise:
      if (window.isWindow()) window.showMinimized();
      return true;
    case kMapHide:
      window.hide();
      return true;
    case kMapShowNoRestore:
      window.show();
      bring_forward(window);
      return true;
    default:
      return false;
  }
}

}  // namespace kovw::session
