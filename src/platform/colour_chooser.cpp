#include "platform/colour_chooser.h"

#include <QColorDialog>
#include <QPointer>
#include <atomic>

#include "platform/gui_call.h"
#include "platform/owned_dialog.h"

namespace kovw::platform {
namespace {

std::atomic<ColourResponder*> g_responder{nullptr};

ColourChoice cancelled(QRgb initial, const CustomColours& custom) {
  return ColourChoice{false, initial, custom};
}

// On the GUI thread. The dialog's custom colours are process-wide; they are loaded before
// every run so that each run shows what the settings hold.
ColourChoice run_dialog(QRgb initial, const CustomColours& custom, QWidget* owner) {
  for (int i = 0; i < QColorDialog::customCount() && i < int(custom.size()); ++i)
    QColorDialog::setCustomColor(i, QColor::fromRgb(colour_from_bgr(custom[std::size_t(i)])));
  QPointer<QColorDialog> dialog = new QColorDialog(QColor::fromRgb(initial), owner);
  // The workstation's own dialog: a platform dialog would not show the kept custom colours.
  dialog->setOption(QColorDialog::DontUseNativeDialog);
  run_owned_modal(dialog);
  ColourChoice choice = cancelled(initial, custom);
  if (dialog && dialog->result() == QDialog::Accepted) {
    choice.chosen = true;
    choice.colour = dialog->selectedColor().rgb();
  }
  delete dialog.data();
  for (int i = 0; i < QColorDialog::customCount() && i < int(custom.size()); ++i)
    choice.custom[std::size_t(i)] = colour_to_bgr(QColorDialog::customColor(i).rgb());
  return choice;
}

}  // namespace

void set_colour_responder(ColourResponder* responder) {
  g_responder = responder;
}

ColourResponder* colour_responder() {
  return g_responder;
}

ColourChoice choose_colour(QRgb initial, const CustomColours& custom,
                           const std::function<QWidget*()>& owner) {
  if (ColourResponder* responder = g_responder) return responder->choose(initial, custom);
  if (!dialogs_possible()) return cancelled(initial, custom);
  const auto choice =
      gui_call([&] { return run_dialog(initial, custom, owner ? owner() : nullptr); });
  return choice ? *choice : cancelled(initial, custom);
}

std::uint32_t colour_to_bgr(QRgb colour) {
  return std::uint32_t(qRed(colour)) | std::uint32_t(qGreen(colour)) << 8 |
         std::uint32_t(qBlue(colour)) << 16;
}

QRgb colour_from_bgr(std::uint32_t bgr) {
  return qRgb(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

}  // namespace kovw::platform
