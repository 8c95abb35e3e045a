#pragma once
// The window operations of KWK_KMAP (program/window_map.h) carried out on the GUI thread.

class QWidget;

namespace kovw::session {

// Carries out `operation` on `window`; false for an unknown operation. Minimising and the
// topmost state apply to top-level windows only.
bool apply_window_operation(QWidget& window, int operation);

}  // namespace kovw::session
