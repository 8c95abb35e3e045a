#include "session/program/screen_metrics.h"

#include <QGuiApplication>
#include <QScreen>

#include "foundation/named_lock.h"

namespace kovw::session {

namespace {
bool g_known = false;  // guarded by "HV-default"
ScreenSize g_size;
int g_dpi = 96;
}  // namespace

void remember_screen_metrics() {
  foundation::DefaultLockGuard lock;
  if (g_known) return;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect all = screen->virtualGeometry();
    g_size = {all.width(), all.height()};
    const int dpi = static_cast<int>(screen->logicalDotsPerInchX() + 0.5);
    if (dpi > 0) g_dpi = dpi;
    g_known = true;
  }
}

ScreenSize screen_size() {
  foundation::DefaultLockGuard lock;
  return g_size;
}

int screen_dpi() {
  foundation::DefaultLockGuard lock;
  return g_dpi;
}

}  // namespace kovw::session
