#include "session/view/system_palette.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>

#include "session/program/program_list.h"

namespace kovw::session {

namespace {

struct PaletteSource {
  SystemColour colour;
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// Each system colour and the palette role that stands for it.
constexpr PaletteSource kPaletteSources[] = {
    {SystemColour::kWindow, QPalette::Active, QPalette::Base},
    {SystemColour::kWindowText, QPalette::Active, QPalette::Text},
    {SystemColour::kHighlight, QPalette::Active, QPalette::Highlight},
    {SystemColour::kHighlightText, QPalette::Active, QPalette::HighlightedText},
    {SystemColour::kInactiveBorder, QPalette::Inactive, QPalette::Mid},
    {SystemColour::kInactiveCaptionText, QPalette::Inactive, QPalette::WindowText},
    {SystemColour::kButtonFace, QPalette::Active, QPalette::Button},
    {SystemColour::kButtonText, QPalette::Active, QPalette::ButtonText},
    {SystemColour::kButtonHighlight, QPalette::Active, QPalette::Light},
    {SystemColour::kDarkShadow3d, QPalette::Active, QPalette::Shadow},
    {SystemColour::kButtonShadow, QPalette::Active, QPalette::Dark},
    {SystemColour::kLight3d, QPalette::Active, QPalette::Midlight},
    {SystemColour::kMenu, QPalette::Active, QPalette::Window},
    {SystemColour::kMenuText, QPalette::Active, QPalette::WindowText},
    {SystemColour::kScrollBar, QPalette::Active, QPalette::Mid},
    {SystemColour::kGrayText, QPalette::Disabled, QPalette::Text},
    {SystemColour::kActiveCaption, QPalette::Active, QPalette::Highlight},
    {SystemColour::kInactiveCaption, QPalette::Inactive, QPalette::Dark},
    {SystemColour::kCaptionText, QPalette::Active, QPalette::HighlightedText},
    {SystemColour::kTooltipText, QPalette::Active, QPalette::ToolTipText},
};
static_assert(std::size(kPaletteSources) == kSystemColourCount);

}  // namespace

SystemColourTable system_colours_from(const QPalette& palette) {
  SystemColourTable table;
  for (const PaletteSource& source : kPaletteSources) {
    const QColor colour = palette.color(source.group, source.role);
    table[source.colour] = {static_cast<std::uint8_t>(colour.red()),
                            static_cast<std::uint8_t>(colour.green()),
                            static_cast<std::uint8_t>(colour.blue())};
  }
  return table;
}

namespace {

// Takes the system colours anew when the desktop's colours change and tells every program,
// which applies its colour model again.
class PaletteWatcher : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == QCoreApplication::instance() &&
        event->type() == QEvent::ApplicationPaletteChange) {
      remember_system_colours(system_colours_from(QApplication::palette()), true);
      post_palette_changed();
    }
    return false;
  }
};

}  // namespace

void remember_system_palette() {
  QCoreApplication* app = QCoreApplication::instance();
  if (qobject_cast<QApplication*>(app) == nullptr) return;
  remember_system_colours(system_colours_from(QApplication::palette()));
  static QPointer<PaletteWatcher> watcher;  // one per application object
  if (!watcher) {
    watcher = new PaletteWatcher(app);
    app->installEventFilter(watcher);
  }
}

}  // namespace kovw::session
