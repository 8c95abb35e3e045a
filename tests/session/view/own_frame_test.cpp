// The own drawn frame: where a press sizes instead of moves, the smallest size a drag leaves,
// the title bar of a full and of an embedded frame, and the window menu's hardcopy entry.

#include "session/view/own_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "foundation/message_table.h"
#include "session/session_fixture.h"
#include "session/view/frame_widgets.h"

namespace kovw::session::test {
namespace {

// A window with its content in the middle cell and the frame around it, as a program's main
// window has them.
struct FramedWindow {
  FramedWindow() { layout->addWidget(new QWidget(window.get()), 1, 1); }
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  QGridLayout* layout = new QGridLayout(window.get());
  FrameWidgets frame{nullptr, window.get(), layout};
};

TEST(OwnFrameTest, TheBottomRightCornerSizesAndSizesStayAtLeast50) {
  const QSize size(300, 200);
  EXPECT_TRUE(in_size_grip({299, 199}, size));
  EXPECT_TRUE(in_size_grip({251, 151}, size));  // 49 pixels in from the corner
  EXPECT_FALSE(in_size_grip({250, 199}, size));
  EXPECT_FALSE(in_size_grip({299, 150}, size));
  EXPECT_FALSE(in_size_grip({10, 10}, size));
  EXPECT_EQ(QSize(50, 50), own_frame_size({10, 10}));
  EXPECT_EQ(QSize(50, 120), own_frame_size({-40, 120}));
  EXPECT_EQ(QSize(640, 480), own_frame_size({640, 480}));
}

TEST(OwnFrameTest, DraggingTheCornerStopsAt50x50AndTheBarMovesTheWindow) {
  test_app();
  auto window = std::make_unique<QWidget>();
  window->setGeometry(100, 100, 300, 200);
  window->show();
  OwnFrameMouse mouse(window.get(), false);
  // The offscreen window system neither moves nor sizes: the frame follows the pointer itself.
  const QPoint before = window->pos();
  ASSERT_TRUE(mouse.begin({10, 10}, {500, 500}));
  mouse.drag({530, 520});
  mouse.end();
  EXPECT_EQ(before + QPoint(30, 20), window->pos());
  EXPECT_EQ(QSize(300, 200), window->size());

  ASSERT_TRUE(mouse.begin({290, 190}, {390, 290}));
  mouse.drag({100, 100});  // 290 pixels to the left and up: far below the smallest size
  mouse.end();
  EXPECT_EQ(QSize(50, 50), window->size());
  EXPECT_FALSE(window->mask().isEmpty());  // rounded corners follow the size

  // An embedded frame neither moves nor sizes and keeps square corners.
  auto embedded = std::make_unique<QWidget>();
  embedded->resize(200, 100);
  OwnFrameMouse fixed(embedded.get(), true);
  EXPECT_FALSE(fixed.begin({195, 95}, {195, 95}));
  fixed.update_mask();
  EXPECT_TRUE(embedded->mask().isEmpty());
}

TEST(OwnFrameTest, EmbeddedTitleBarShowsOnlyTheCaption) {
  test_app();
  auto window = std::make_unique<QWidget>();
  window->setWindowTitle("Kunden");
  OwnFrameLook look;
  look.on = true;
  look.caption = Qt::darkBlue;
  look.caption_text = Qt::white;
  auto* full = new OwnTitleBar(window.get(), look, false);
  EXPECT_EQ("Kunden", full->caption()->text());
  EXPECT_TRUE(full->menu_button() && full->minimise_button() && full->maximise_button() &&
              full->close_button());
  window->setWindowTitle("Kunden 2");
  EXPECT_EQ("Kunden 2", full->caption()->text());

  look.embedded = true;
  auto* embedded = new OwnTitleBar(window.get(), look, false);
  EXPECT_EQ("Kunden 2", embedded->caption()->text());
  EXPECT_EQ(nullptr, embedded->menu_button());
  EXPECT_EQ(nullptr, embedded->minimise_button());
  EXPECT_EQ(nullptr, embedded->maximise_button());
  EXPECT_EQ(nullptr, embedded->close_button());
}

TEST(OwnFrameTest, FrameWithTheOwnLookHasATitleBarWithTheHardcopyEntry) {
  test_app();
  FramedWindow framed;
  QWidget* window = framed.window.get();
  FrameWidgets& frame = framed.frame;
  FrameDescription description;
  description.own.on = true;
  description.own.border = 3;
  frame.build(description);
  ASSERT_NE(nullptr, frame.title_bar());
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(QSize(50, 50), window->minimumSize());
  EXPECT_EQ(QMargins(3, 3, 3, 3), framed.layout->contentsMargins());
  QMenu* menu = frame.title_bar()->menu_button()->menu();
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(1, menu->actions().size());
  EXPECT_EQ(QString::fromUtf8(foundation::message_text(10053)), menu->actions()[0]->text());

  // The next screen with the standard frame takes it all away again.
  frame.build(FrameDescription{});
  EXPECT_EQ(nullptr, frame.title_bar());
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(QMargins(0, 0, 0, 0), framed.layout->contentsMargins());
}

QImage icon_image(const QIcon& icon) {
  return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(OwnFrameTest, TheProgramIconTellsAnEncryptedLinkFromAPlainOne) {
  test_app();
  FramedWindow framed;
  QWidget* window = framed.window.get();
  FrameWidgets& frame = framed.frame;
  OwnFrameLook look;
  look.on = true;
  auto* plain = new OwnTitleBar(window, look, false);
  auto* encrypted = new OwnTitleBar(window, look, true);
  EXPECT_FALSE(plain->encrypted());
  EXPECT_TRUE(encrypted->encrypted());
  const QImage plain_icon = icon_image(plain->menu_button()->icon());
  const QImage encrypted_icon = icon_image(encrypted->menu_button()->icon());
  EXPECT_FALSE(plain_icon.isNull());
  EXPECT_NE(plain_icon, encrypted_icon);
  EXPECT_NE(plain->menu_button()->accessibleDescription(),
            encrypted->menu_button()->accessibleDescription());
  // The same icon is the window's.
  FrameDescription description;
  description.own.on = true;
  description.encrypted = true;
  frame.build(description);
  EXPECT_EQ(encrypted_icon, icon_image(window->windowIcon()));
  EXPECT_EQ(encrypted_icon, icon_image(frame.title_bar()->menu_button()->icon()));
}

// Icons that join the host icon set later (a graphics definition) reach the toolbar buttons
// and the window buttons that name them; the window buttons show texts when the style has no
// icon and the host none either.
TEST(OwnFrameTest, NewHostIconsReachTheToolbarAndTheWindowButtons) {
  test_app();
  FramedWindow framed;
  QWidget* window = framed.window.get();
  FrameWidgets& frame = framed.frame;
  FrameDescription description;
  description.own.on = true;
  description.own.icon_size = 24;
  FrameEntry chart;
  chart.id = 30000;
  chart.label = "Chart";
  chart.icon_name = "chart";
  description.toolbar.push_back(chart);
  frame.build(description);
  OwnTitleBar* title = frame.title_bar();
  ASSERT_NE(nullptr, title);
  EXPECT_EQ(QSize(28, 28), title->close_button()->size());
  const QImage stock = icon_image(frame.toolbar()->actions()[0]->icon());

  QImage blue(16, 16, QImage::Format_ARGB32);
  blue.fill(Qt::blue);
  QImage green(16, 16, QImage::Format_ARGB32);
  green.fill(Qt::green);
  frame.set_icons({{"chart", blue}, {"wincls", green}, {"winmin", green}});
  EXPECT_NE(stock, icon_image(frame.toolbar()->actions()[0]->icon()));
  EXPECT_EQ(QColor(Qt::blue), icon_image(frame.toolbar()->actions()[0]->icon()).pixelColor(8, 8));
  EXPECT_EQ(QColor(Qt::green), icon_image(title->close_button()->icon()).pixelColor(8, 8));
  EXPECT_EQ(QColor(Qt::green), icon_image(title->minimise_button()->icon()).pixelColor(8, 8));
  EXPECT_TRUE(title->close_button()->text().isEmpty());

  // The maximise button shows "winmax" and, while the window is maximised, "winres".
  QImage white(16, 16, QImage::Format_ARGB32);
  white.fill(Qt::white);
  frame.set_icons({{"winmax", blue}, {"winres", white}});
  EXPECT_EQ(QColor(Qt::blue), icon_image(title->maximise_button()->icon()).pixelColor(8, 8));
  window->setWindowState(Qt::WindowMaximized);
  EXPECT_EQ(QColor(Qt::white), icon_image(title->maximise_button()->icon()).pixelColor(8, 8));
  window->setWindowState(Qt::WindowNoState);
  EXPECT_EQ(QColor(Qt::blue), icon_image(title->maximise_button()->icon()).pixelColor(8, 8));
}

}  // namespace
}  // namespace kovw::session::test
