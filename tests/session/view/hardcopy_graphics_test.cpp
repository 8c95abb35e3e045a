// The hardcopy of a graphics window, chosen from the menu of the window's frame: the dialog
// offers the picture formats only, and the file holds the window's picture.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include "graphics/graphics_definition.h"
#include "graphics/view/graphics_window_widget.h"
#include "session/session_fixture.h"
#include "session/view/program_view.h"

namespace kovw::session::test {
namespace {

class HardcopyGraphicsTest : public SessionTest {};

TEST_F(HardcopyGraphicsTest, TheFramesMenuSavesTheWindowsPictureAsABitmap) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 90, "graphics", {0x070305});
  ASSERT_GT(define_screen(peer, "Chart", 2, 400, 200, 20, 20), 0);
  QWidget* main = nullptr;
  ASSERT_TRUE(wait_until([&] {
    main = registered_window(ids[1]);
    return main != nullptr && main->isVisible();
  }));
  graphics::GraphicsDefinition d;
  d.mode = graphics::kDefine;
  d.record.set32(76, 1000);
  d.record.set32(80, 500);
  d.record.set16(70, 400);
  d.record.set16(72, 200);
  d.record.set16(96 + 4, 255);  // a white background
  d.record.set16(96 + 6, 255);
  d.record.set16(96 + 8, 255);
  d.record.set16(96 + 10, 0x0003);
  ASSERT_GT(
      peer.send(net::KWD_DIGRA, net::KWK_GDIGRA, graphics::build_graphics_definition(d, true)), 0);
  graphics::GraphicsWindowWidget* shown = nullptr;
  ASSERT_TRUE(wait_until([&] {
    shown = main->findChild<graphics::GraphicsWindowWidget*>();
    return shown != nullptr && !shown->picture().isNull();
  }));

  QTemporaryDir dir;
  const QString path = dir.filePath("chart");
  bool text_offered = true;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      auto* menu = qobject_cast<QMenu*>(popup);
      if (menu && !menu->actions().isEmpty()) menu->actions().first()->trigger();
      if (menu) menu->close();
      return;
    }
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog->objectName() != "hardcopy_dialog") return;
    dialog->findChild<QRadioButton*>("file")->click();
    text_offered = dialog->findChild<QRadioButton*>("txt")->isEnabled();
    dialog->findChild<QLineEdit*>("file_name")->setText(path);
    dialog->findChild<QPushButton*>("ok")->click();
  });
  user.start(10);
  // The right button over the frame (the status bar), outside the drawing area.
  QStatusBar* status = main->findChild<QStatusBar*>();
  ASSERT_NE(status, nullptr);
  const QPoint at = status->geometry().center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, main->mapToGlobal(at));
  QApplication::sendEvent(main, &event);
  ASSERT_TRUE(wait_until([&] { return QFile::exists(path + ".bmp"); }));
  EXPECT_FALSE(text_offered);
  const QImage saved(path + ".bmp", "BMP");
  ASSERT_EQ(saved.size(), QSize(400, 200));
  EXPECT_EQ(saved.pixelColor(10, 10), QColor(255, 255, 255));
}

}  // namespace
}  // namespace kovw::session::test
