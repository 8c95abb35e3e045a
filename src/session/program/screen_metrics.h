#pragma once
// Facts about the display that program threads report to hosts (KGETWINID) but may not ask
// Qt for themselves: taken once on the GUI thread, read under the process-wide lock.

namespace kovw::session {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// On the GUI thread: records the size of the whole virtual screen and the primary screen's
// horizontal resolution (once per process).
void remember_screen_metrics();
ScreenSize screen_size();
// Dots per inch across, 96 until known.
int screen_dpi();

}  // namespace kovw::session
