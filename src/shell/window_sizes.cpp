#include "shell/window_sizes.h"

#include <QGuiApplication>
#include <QScreen>

#include "foundation/log.h"
#include "foundation/named_lock.h"
#include "shell/settings_store.h"

namespace kovw::shell {

using foundation::log_printf;
using platform::Registry;

namespace {

constexpr const char* kSizeNames[] = {"geoX", "geoY", "anzX",  "anzY",
                                      "posX", "posY", "Size1", "Size2"};

std::int32_t* fields(WindowSizes& s, int i) {
  std::int32_t* all[] = {&s.geo_x, &s.geo_y, &s.anz_x, &s.anz_y,
                         &s.pos_x, &s.pos_y, &s.size1, &s.size2};
  return all[i];
}

}  // namespace

QString sizes_key(const QString& program_name) {
  const QByteArray name8 = program_name.left(10).toLatin1();
  return QString::fromLatin1(kSizesKey) + u'\\' +
         Registry::escape_key_name(std::string_view(name8.constData(), name8.size()));
}

std::optional<QSize> desktop_size() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return std::nullopt;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  return screen->availableGeometry().size();
}

int dr_load_sizes(Registry& registry, const QString& program_name, WindowSizes& sizes,
                  bool with_sizes12, std::optional<QSize> desktop) {
  const QString key = sizes_key(program_name);
  std::optional<std::uint32_t> values[8];
  for (int i = 0; i < 8; ++i)
    values[i] = registry.read_dword(key, QString::fromLatin1(kSizeNames[i]));
  int result = 0;
  bool complete = true;
  for (int i = 0; i < 6; ++i) complete = complete && values[i].has_value();
  if (complete) {
    const int count = with_sizes12 ? 8 : 6;
    for (int i = 0; i < count; ++i) {
      if (values[i]) *fields(sizes, i) = static_cast<std::int32_t>(*values[i]);
    }
    log_printf("Anzeigegrösse %d %d - %d %d  - %d %d - %d %d", sizes.geo_x, sizes.geo_y,
               sizes.anz_x, sizes.anz_y, sizes.pos_x, sizes.pos_y, sizes.size1, sizes.size2);
    result = 1;
  } else {
    log_printf("Anzeigegrösse bleibt bei %d %d %d %d %d %d", sizes.geo_x, sizes.geo_y, sizes.anz_x,
               sizes.anz_y, sizes.pos_x, sizes.pos_y);
  }
  if (desktop && desktop->width() > 0 && desktop->height() > 0) {
    if (sizes.anz_x > desktop->width()) {
      sizes.anz_x = desktop->width();
      sizes.pos_x = 0;
    }
    if (sizes.anz_y > desktop->height()) {
      sizes.anz_y = desktop->height();
      sizes.pos_y = 0;
    }
  }
  return result;
}

int dr_save_sizes(Registry& registry, const QString& program_name, const WindowSizes& sizes) {
  foundation::DefaultLockGuard lock;
  const QString key = sizes_key(program_name);
  WindowSizes copy = sizes;
  Registry::WriteGuard guard(registry);
  if (!guard.locked()) return -1;
  bool ok = true;
  for (int i = 0; i < 8; ++i) {
    ok = registry.write_dword(key, QString::fromLatin1(kSizeNames[i]),
                              static_cast<std::uint32_t>(*fields(copy, i))) &&
         ok;
  }
  return ok ? 0 : -1;
}

int dr_load_sizes(const QString& program_name, WindowSizes& sizes, bool with_sizes12) {
  return dr_load_sizes(settings_store().registry(), program_name, sizes, with_sizes12);
}

int dr_save_sizes(const QString& program_name, const WindowSizes& sizes) {
  return dr_save_sizes(settings_store().registry(), program_name, sizes);
}

namespace {
QString viewer_key(ViewerWindow window) {
  const char* sub = window == ViewerWindow::Help   ? "Help"
                    : window == ViewerWindow::Show ? "Show"
                                                   : "Choose";
  return QString::fromLatin1(kDfaKey) + u'\\' + QString::fromLatin1(sub);
}
}  // namespace

std::optional<QSize> load_viewer_size(Registry& registry, ViewerWindow window) {
  const QString key = viewer_key(window);
  const auto width = registry.read_dword(key, QStringLiteral("Width"));
  const auto height = registry.read_dword(key, QStringLiteral("Height"));
  if (!width || !height) return std::nullopt;
  return QSize(static_cast<int>(*width), static_cast<int>(*height));
}

bool save_viewer_size(Registry& registry, ViewerWindow window, QSize size) {
  const QString key = viewer_key(window);
  Registry::WriteGuard guard(registry);
  if (!guard.locked()) return false;
  const bool ok = registry.write_dword(key, QStringLiteral("Width"), std::uint32_t(size.width()));
  return registry.write_dword(key, QStringLiteral("Height"), std::uint32_t(size.height())) && ok;
}

}  // namespace kovw::shell
