#pragma once
// The handles of program windows. A program thread numbers its windows (new_window_handle) and
// reports the numbers to its host; its view registers the widgets under them on the GUI thread,
// so that a child program's window, a KMAP request or a modal box owned by a program's window
// finds the widget by the number.

#include <cstdint>

class QWidget;

namespace kovw::session {

// A process-wide unique window handle (never 0); any thread.
std::int64_t new_window_handle();

// GUI thread only: the widget registered under `handle`, or null.
QWidget* registered_window(std::int64_t handle);
void register_window(std::int64_t handle, QWidget* window);
void unregister_window(std::int64_t handle);

}  // namespace kovw::session
