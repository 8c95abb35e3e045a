#include "platform/colour_chooser.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <thread>

#include "foundation/show_message.h"
#include "platform_application.h"

namespace kovw::platform {
namespace {

struct SeenDialog {
  QRgb current = 0;
  QRgb last_custom = 0;
  QWidget* parent = nullptr;
  Qt::WindowModality modality = Qt::NonModal;
};

// Waits on the GUI thread for the colour dialog, notes what it shows, and then either picks
// `pick` and a first custom colour and accepts, or (no pick) cancels.
void answer_dialog_later(std::optional<QRgb> pick, SeenDialog* seen) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, pick, seen] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QColorDialog*>(widget);
      if (!dialog || !dialog->isVisible()) continue;
      seen->current = dialog->currentColor().rgb();
      seen->last_custom = QColorDialog::customColor(15).rgb();
      seen->parent = dialog->parentWidget();
      seen->modality = dialog->windowModality();
      timer->stop();
      timer->deleteLater();
      if (!pick) {
        dialog->reject();
        return;
      }
      QColorDialog::setCustomColor(0, QColor(1, 2, 3));
      dialog->setCurrentColor(QColor::fromRgb(*pick));
      dialog->accept();
      return;
    }
  });
  timer->start();
}

class ColourChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::application();
    setenv(foundation::kUnattendedVariable, "0", 1);
    custom_.fill(0);
    custom_[15] = colour_to_bgr(qRgb(0, 0, 255));
  }
  void TearDown() override { setenv(foundation::kUnattendedVariable, "1", 1); }

  // choose_colour on a worker thread, as a program thread asks.
  ColourChoice choose_from_worker(QRgb initial, QWidget* owner) {
    ColourChoice choice;
    QEventLoop loop;
    std::thread worker([&] {
      choice = choose_colour(initial, custom_, [owner] { return owner; });
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // never hang the suite
    loop.exec();
    worker.join();
    return choice;
  }

  CustomColours custom_{};
};

TEST_F(ColourChooserTest, DialogShowsTheColourAndKeepsCustomColours) {
  QWidget owner;
  owner.show();
  SeenDialog seen;
  answer_dialog_later(qRgb(10, 20, 30), &seen);
  const ColourChoice choice = choose_from_worker(qRgb(200, 100, 50), &owner);
  EXPECT_EQ(qRgb(200, 100, 50), seen.current);
  EXPECT_EQ(qRgb(0, 0, 255), seen.last_custom);  // loaded before the dialog showed
  EXPECT_EQ(&owner, seen.parent);
  EXPECT_EQ(Qt::WindowModal, seen.modality);  // modal to its owner only
  EXPECT_TRUE(choice.chosen);
  EXPECT_EQ(qRgb(10, 20, 30), choice.colour);
  EXPECT_EQ(0x00030201u, choice.custom[0]);  // as the settings keep it: 0x00BBGGRR
  EXPECT_EQ(custom_[15], choice.custom[15]);
}

TEST_F(ColourChooserTest, CancelledDialogAnswersTheInitialColour) {
  SeenDialog seen;
  answer_dialog_later(std::nullopt, &seen);
  const ColourChoice choice = choose_from_worker(qRgb(7, 8, 9), nullptr);
  EXPECT_FALSE(choice.chosen);
  EXPECT_EQ(qRgb(7, 8, 9), choice.colour);
  EXPECT_EQ(nullptr, seen.parent);
}

}  // namespace
}  // namespace kovw::platform
