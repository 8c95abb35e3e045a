#pragma once
// The colour chooser: the system's colour dialog with a preselected colour and the 16 custom
// colours the user keeps. Like message boxes, the chooser can be answered by an installed
// responder instead of a person (tests), and unattended runs never show it.

#include <QRgb>
#include <array>
#include <cstdint>
#include <functional>

class QWidget;

namespace kovw::platform {

// Custom colours as the settings keep them: 0x00BBGGRR each.
using CustomColours = std::array<std::uint32_t, 16>;

struct ColourChoice {
  bool chosen = false;  // false: cancelled, `colour` is the preselected one
  QRgb colour = 0;
  CustomColours custom{};  // as the user left them (also when cancelled)
};

// Answers the chooser in place of the dialog; called on the thread that asks.
class ColourResponder {
 public:
  virtual ~ColourResponder() = default;
  virtual ColourChoice choose(QRgb initial, const CustomColours& custom) = 0;
};
void set_colour_responder(ColourResponder* responder);
ColourResponder* colour_responder();

// Asks for a colour from any thread: the installed responder answers when there is one;
// unattended runs (KOVW_UNATTENDED=1) and processes without a QApplication answer as
// cancelled; otherwise the dialog runs on the GUI thread, fully opened, with `initial`
// preselected and the custom colours loaded, and the calling thread waits for it. `owner`
// is called on the GUI thread and names the window the dialog is modal to (null: none).
ColourChoice choose_colour(QRgb initial, const CustomColours& custom,
                           const std::function<QWidget*()>& owner);

// The conversions between QRgb and the 0x00BBGGRR form of the settings.
std::uint32_t colour_to_bgr(QRgb colour);
QRgb colour_from_bgr(std::uint32_t bgr);

}  // namespace kovw::platform
