#include "session/screen_metrics.h"

#include <QGuiApplication>
#include <QScreen>

#include "foundation/named_lock.h"

namespace kovw::session {

namespace {
bool g_known = false;  // guarded by "HV-default"
ScreenSize g_size;
}  // namespace

void remember_screen_metrics() {
  foundation::DefaultLockGuard lock;
  if (g_known) return;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect all = screen->virtualGeometry();
    g_size = {all.width(), all.height()};
    g_known = true;
  }
}

ScreenSize screen_size() {
  foundation::DefaultLockGuard lock;
  return g_size;
}

}  // namespace kovw::session
