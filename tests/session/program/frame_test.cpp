// The frame of a program window: key bar buttons, the menu bar, context menus and item states
// built from the screen's menu item records, and what choosing an item sends to the host.

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstring>

#include "foundation/message_table.h"
#include "protocol/program/menu_records.h"
#include "protocol/program/window_service.h"
#include "session/program/menu_items.h"
#include "session/session_fixture.h"
#include "session/view/frame_widgets.h"

namespace kovw::session::test {
namespace {

using Codes = std::vector<std::uint16_t>;
using protocol::MenuItemRecord;

// A menu item record: label, help, bar, kind word, function key (-1: the key list follows),
// command code.
MenuItemRecord item(int bar, int kind, const std::string& label, int key,
                    const std::string& help = "", int command = 0, Codes list = {}) {
  MenuItemRecord record{};
  std::memcpy(record.data(), label.data(), std::min<std::size_t>(label.size(), 39));
  std::memcpy(record.data() + 40, help.data(), std::min<std::size_t>(help.size(), 107));
  record[171] = static_cast<std::uint8_t>(bar);
  protocol::put_le16(record.data() + 172, static_cast<std::uint16_t>(key));
  for (std::size_t i = 0; i < list.size(); ++i)
    protocol::put_le16(record.data() + 174 + 2 * i, list[i]);
  protocol::put_le16(record.data() + 230, static_cast<std::uint16_t>(kind));
  protocol::put_le16(record.data() + 232, static_cast<std::uint16_t>(command));
  return record;
}

QString plain(const QString& label) {
  QString text = label;
  return text.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
      .remove(u'&')
      .replace(u'\x01', u'&');
}

class FrameTest : public SessionTest {
 protected:
  // A program with a text screen of 40 x 10 and these items, shown.
  MainWindow* program(HostPeer& peer, const std::vector<MenuItemRecord>& items,
                      const protocol::ScreenOptions& options = protocol::default_screen_options(),
                      const std::vector<protocol::HostIcon>& icons = {}) {
    const auto ids = init_program(peer, 7, "frame");
    protocol::ScreenDefinition screen;
    screen.mode_and_style = 1;
    screen.title = "Frame";
    screen.width = 40;
    screen.height = 10;
    screen.screen_options = options;
    screen.menu_items = items;
    screen.icons = icons;
    if (!icons.empty()) screen.mode_and_style |= protocol::kStyleIconsFirstForm;
    const auto out =
        protocol::build_screen_definition(screen, 0x070305, net::KWD_WIN, net::KWK_WINIT);
    EXPECT_GT(peer.send(out.service, out.type, out.payload), 0);
    QWidget* content = nullptr;
    EXPECT_TRUE(wait_until([&] {
      content = registered_window(ids[0]);
      return content != nullptr && content->isVisible();
    }));
    return content ? static_cast<MainWindow*>(content->parentWidget()) : nullptr;
  }
  static Codes key_data(HostPeer& peer) { return receive_key_codes(peer); }
  // The host asks for keys and then for its window ids: when nothing was sent in between, the
  // ids come first.
  void expect_no_keys(HostPeer& peer) {
    ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WTEST), 0);
    EXPECT_EQ(6u, window_ids(peer).size());
  }
};

TEST_F(FrameTest, KeyBarButtonsSendTheirKeysAndHonourTheirState) {
  HostPeer& peer = start_program();
  MainWindow* window =
      program(peer, {item(2, 0, "F3 End", 1, "Ends the program"), item(2, 0, "Help", 7, "", 44),
                     item(0, 0, "A&B", -1, "list", 0, {'x', 0x0500})});
  ASSERT_NE(nullptr, window);
  FrameWidgets& frame = *window->frame();
  QPushButton* end = frame.button(100);
  QPushButton* help = frame.button(101);
  QPushButton* list = frame.button(102);
  ASSERT_TRUE(end && help && list);
  EXPECT_EQ("F3 End", plain(end->text()));
  EXPECT_EQ("Ends the program", end->toolTip());
  EXPECT_EQ("A&B", plain(list->text()));
  // Assistive technology reads the labels without mnemonic marks, the help texts and the bars'
  // names.
  EXPECT_EQ("F3 End", QAccessible::queryAccessibleInterface(end)->text(QAccessible::Name));
  EXPECT_EQ("Ends the program",
            QAccessible::queryAccessibleInterface(end)->text(QAccessible::Description));
  EXPECT_EQ("A&B", QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name));
  EXPECT_EQ("Bottom key bar",
            QAccessible::queryAccessibleInterface(end->parentWidget())->text(QAccessible::Name));
  ASSERT_NE(nullptr, frame.status_bar());
  // The bottom bar lies below the content window, the top bar above it.
  EXPECT_GT(end->mapTo(window, QPoint()).y(), window->content()->geometry().bottom());
  EXPECT_LT(list->mapTo(window, QPoint()).y(), window->content()->geometry().top());

  QTest::mouseClick(end, Qt::LeftButton);
  EXPECT_EQ(Codes{0x0101}, key_data(peer));
  // A key list: characters as they are, low byte 0 names a function key.
  QTest::mouseClick(list, Qt::LeftButton);
  EXPECT_EQ((Codes{'x', 0x0105}), key_data(peer));

  // KWK_KBUTTON_NR 1 with 0 disables the second button: it sends nothing; 1 restores it.
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KBUTTON_NR, protocol::build_kbutton({1, 0}).payload),
            0);
  ASSERT_TRUE(wait_until([&] { return !help->isEnabled(); }));
  EXPECT_TRUE(end->isEnabled());
  QTest::mouseClick(help, Qt::LeftButton);
  expect_no_keys(peer);
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KBUTTON_NR, protocol::build_kbutton({1, 1}).payload),
            0);
  ASSERT_TRUE(wait_until([&] { return help->isEnabled(); }));
  QTest::mouseClick(help, Qt::LeftButton);
  EXPECT_EQ(Codes{0x0107}, key_data(peer));

  // ESC "]" with command code 44 gives the Help button the pressed look, then disables it.
  const std::vector<std::uint8_t> pressed{0x1B, ']', 44, 0, 2};
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, pressed), 0);
  ASSERT_TRUE(wait_until([&] { return help->isChecked(); }));
  EXPECT_TRUE(help->isEnabled());
  const std::vector<std::uint8_t> off{0x1B, ']', 44, 0, 1};
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, off), 0);
  ASSERT_TRUE(wait_until([&] { return !help->isEnabled(); }));

  // KWK_KBUTTON 0 disables every button; 1 gives each its earlier state back.
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KBUTTON, protocol::build_kbutton({{}, 0}).payload),
            0);
  ASSERT_TRUE(wait_until([&] { return !end->isEnabled() && !list->isEnabled(); }));
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KBUTTON, protocol::build_kbutton({{}, 1}).payload),
            0);
  ASSERT_TRUE(wait_until([&] { return end->isEnabled() && list->isEnabled(); }));
  EXPECT_FALSE(help->isEnabled());
}

// With "No Save Page" the page keys that show stored pages start disabled (their record's
// initial state says so too); the next-page key and other keys stay usable.
TEST(MenuItemsTest, NoSavePageDisablesTheStoredPageKeys) {
  const std::vector<MenuItemRecord> records{item(2, 0, "First", 11990), item(2, 0, "Next", 11992),
                                            item(2, 0, "List", 11994), item(2, 0, "End", 1),
                                            item(6, 0x21, "Last", 11993)};
  const MenuItems plain = build_menu_items(records, false);
  for (const MenuItem& entry : plain.screen) EXPECT_FALSE(entry.disabled());
  const MenuItems no_pages = build_menu_items(records, false, true);
  const std::vector<bool> disabled{true, false, true, false, true};
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(disabled[i], no_pages.screen[i].disabled()) << i;
    EXPECT_EQ(disabled[i], (protocol::le16(no_pages.screen[i].record.data() + 230) >> 7 & 1) != 0)
        << i;
  }
}

// While the host works the key bars take no clicks; afterwards each button has the state the
// host gave it.
TEST_F(FrameTest, HostBusyDisablesTheKeyBars) {
  HostPeer& peer = start_program();
  MainWindow* window = program(peer, {item(2, 0, "End", 1), item(2, 0, "Help", 7)});
  ASSERT_NE(nullptr, window);
  QPushButton* end = window->frame()->button(100);
  QPushButton* help = window->frame()->button(101);
  ASSERT_TRUE(end && help);
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KBUTTON_NR, protocol::build_kbutton({1, 0}).payload),
            0);
  const auto busy = [&peer](int value) {
    const auto out = protocol::build_single_int(net::KWD_WIN, net::KWK_CURSOR, value);
    return peer.send(out.service, out.type, out.payload);
  };
  ASSERT_GT(busy(1), 0);
  ASSERT_TRUE(wait_until([&] { return !end->isEnabled(); }));
  QTest::mouseClick(end, Qt::LeftButton);
  ASSERT_GT(busy(0), 0);
  ASSERT_TRUE(wait_until([&] { return end->isEnabled(); }));
  EXPECT_FALSE(help->isEnabled());
  expect_no_keys(peer);
}

// A button of the hardcopy function key makes a hardcopy of the window and sends nothing.
TEST_F(FrameTest, TheHardcopyKeyOpensTheHardcopyDialogAndSendsNothing) {
  HostPeer& peer = start_program();
  MainWindow* window = program(peer, {item(2, 0, "Hardcopy", 308)});
  ASSERT_NE(nullptr, window);
  QPushButton* hardcopy = window->frame()->button(100);
  ASSERT_NE(nullptr, hardcopy);
  bool shown = false;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || dialog->objectName() != "hardcopy_dialog") return;
    shown = true;
    static_cast<QDialog*>(dialog)->reject();
  });
  answer.start(10);
  QTest::mouseClick(hardcopy, Qt::LeftButton);
  EXPECT_TRUE(wait_until([&] { return shown; }));
  expect_no_keys(peer);
}

TEST_F(FrameTest, MenuBarPopupsAndContextMenusSendTheirKeys) {
  HostPeer& peer = start_program();
  MainWindow* window = program(
      peer, {item(4, 0x20, "File", 0), item(0, 0x21, "Open", 5, "Opens"), item(0, 0x22, "", 0),
             item(0, 0x21, "Quit", 1), item(5, 0, "Delete", 9), item(5, 0, "Duplicate", 10)});
  ASSERT_NE(nullptr, window);
  QMenuBar* bar = window->frame()->menu_bar();
  ASSERT_NE(nullptr, bar);
  ASSERT_EQ(1, bar->actions().size());
  QMenu* file = bar->actions()[0]->menu();
  ASSERT_NE(nullptr, file);
  EXPECT_EQ("File", file->title());
  const auto entries = file->actions();
  ASSERT_EQ(3, entries.size());
  EXPECT_EQ("Open", entries[0]->text());
  EXPECT_TRUE(entries[1]->isSeparator());
  EXPECT_EQ("Quit", entries[2]->text());
  entries[2]->trigger();
  EXPECT_EQ(Codes{0x0101}, key_data(peer));

  // ESC "\" shows context menu 0 of the screen's bar 5 items; both labels begin with "D".
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, {0x1B, '\\'}), 0);
  ASSERT_TRUE(wait_until([&] { return window->frame()->context_menu() != nullptr; }));
  auto context = window->frame()->context_menu()->actions();
  // The host's entries, then a text screen's own: the window's hardcopy.
  ASSERT_EQ(4, context.size());
  EXPECT_EQ("&Delete", context[0]->text());
  EXPECT_EQ("D&uplicate", context[1]->text());
  EXPECT_TRUE(context[2]->isSeparator());
  EXPECT_EQ(QString::fromUtf8(foundation::message_text(10053)), context[3]->text());
  context[1]->trigger();
  EXPECT_EQ(Codes{0x010A}, key_data(peer));

  // KWK_CREAKONTEXT replaces context menu 0; KWK_ACTKONTEXT shows it.
  const auto create =
      protocol::build_creakontext(net::KWD_WIN, {item(5, 0, "Copy", -1, "", 0, {'c', 'd'}),
                                                 item(5, 0x22, "", 0), item(5, 1 << 7, "Gone", 3)});
  ASSERT_GT(peer.send(create.service, create.type, create.payload), 0);
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_ACTKONTEXT), 0);
  ASSERT_TRUE(wait_until([&] {
    const QMenu* menu = window->frame()->context_menu();
    return menu != nullptr && menu->actions().size() == 5;
  }));
  context = window->frame()->context_menu()->actions();
  EXPECT_TRUE(context[1]->isSeparator());
  EXPECT_FALSE(context[2]->isEnabled());  // initial state: disabled
  context[0]->trigger();
  EXPECT_EQ((Codes{'c', 'd'}), key_data(peer));
}

// With the colour model on, the frame takes the model's look: menus and context menus their
// brushes, key bar buttons the button colours and the main model font.
TEST_F(FrameTest, TheFrameTakesTheModelsBrushesAndMainFont) {
  namespace opt = protocol::screen_option;
  protocol::ScreenOptions options = protocol::default_screen_options();
  options[opt::kModelSwitch] = 1;
  options[opt::kFontNumber] = 6;
  options[opt::kFontSize] = 14;
  protocol::set_option_colour(options, opt::kMenuBackground, {10, 20, 30});
  protocol::set_option_colour(options, opt::kMenuText, {200, 210, 220});
  protocol::set_option_colour(options, opt::kContextMenuBackground, {40, 50, 60});
  protocol::set_option_colour(options, opt::kContextMenuText, {230, 240, 250});
  protocol::set_option_colour(options, opt::kButtonFace, {70, 80, 90});
  protocol::set_option_colour(options, opt::kButtonText, {1, 2, 3});
  HostPeer& peer = start_program();
  MainWindow* window = program(peer,
                               {item(4, 0x20, "File", 0), item(0, 0x21, "Open", 5),
                                item(2, 0, "F3 End", 1), item(5, 0, "Delete", 9)},
                               options);
  ASSERT_NE(nullptr, window);
  QMenu* file = window->frame()->menu_bar()->actions()[0]->menu();
  EXPECT_EQ(QColor(10, 20, 30), file->palette().color(QPalette::Window));
  EXPECT_EQ(QColor(200, 210, 220), file->palette().color(QPalette::WindowText));
  QPushButton* end = window->frame()->button(102);
  ASSERT_NE(nullptr, end);
  EXPECT_EQ(QColor(70, 80, 90), window->palette().color(QPalette::Button));
  EXPECT_EQ(QColor(1, 2, 3), end->palette().color(QPalette::ButtonText));
  EXPECT_EQ(14, end->font().pointSize());
  // The button is drawn in the shades of the button face: lighter at the top than at the
  // bottom.
  const QImage drawn = end->grab().toImage();
  const int middle = drawn.width() / 2;
  EXPECT_GT(drawn.pixelColor(middle, 3).lightness(),
            drawn.pixelColor(middle, drawn.height() - 4).lightness());

  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, {0x1B, '\\'}), 0);
  ASSERT_TRUE(wait_until([&] { return window->frame()->context_menu() != nullptr; }));
  const QMenu* context = window->frame()->context_menu();
  EXPECT_EQ(QColor(40, 50, 60), context->palette().color(QPalette::Window));
  EXPECT_EQ(QColor(230, 240, 250), context->palette().color(QPalette::WindowText));
  window->frame()->context_menu()->close();
}

// Without the model the windows take the desktop's colours; when they change, the model is
// applied again: the background is the desktop's button face, which the palette change alone
// would never put into the window role.
TEST_F(FrameTest, TheModelFollowsTheDesktopsColours) {
  HostPeer& peer = start_program();
  MainWindow* window = program(peer, {item(2, 0, "F3 End", 1)});
  ASSERT_NE(nullptr, window);
  QPushButton* end = window->frame()->button(100);
  ASSERT_NE(nullptr, end);
  const QPalette before = QApplication::palette();
  QPalette changed = before;
  changed.setColor(QPalette::Button, QColor(12, 34, 56));
  changed.setColor(QPalette::ButtonText, QColor(250, 240, 230));
  QApplication::setPalette(changed);
  const bool followed = wait_until([&] {
    return window->palette().color(QPalette::Window) == QColor(12, 34, 56) &&
           end->palette().color(QPalette::ButtonText) == QColor(250, 240, 230);
  });
  QApplication::setPalette(before);
  EXPECT_TRUE(followed) << window->palette().color(QPalette::Window).name().toStdString();
}

// Ctrl+Tab takes the keyboard into the key bar: the arrows move between its enabled buttons,
// Enter chooses one, Escape goes back to the content window. Without a bar nothing moves.
TEST_F(FrameTest, CtrlTabTakesTheKeyboardIntoTheKeyBar) {
  HostPeer& peer = start_program();
  MainWindow* window = program(peer, {item(2, 0, "One", 1), item(2, 1 << 7, "Two", 2),
                                      item(2, 0, "Three", 3), item(0, 0, "Top", 4)});
  ASSERT_NE(nullptr, window);
  FrameWidgets& frame = *window->frame();
  QWidget* content = window->content();
  QTest::keyClick(content, Qt::Key_Tab, Qt::ControlModifier);
  // The top bar comes first.
  EXPECT_EQ(frame.button(103), window->focusWidget());
  QTest::keyClick(frame.button(103), Qt::Key_Escape);
  EXPECT_EQ(content, window->focusWidget());

  // Without the top bar's button the bottom bar's first one; "Two" is disabled and skipped.
  frame.button(103)->setEnabled(false);
  QTest::keyClick(content, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(frame.button(100), window->focusWidget());
  QTest::keyClick(frame.button(100), Qt::Key_Right);
  EXPECT_EQ(frame.button(102), window->focusWidget());
  QTest::keyClick(frame.button(102), Qt::Key_Right);  // round the end
  EXPECT_EQ(frame.button(100), window->focusWidget());
  QTest::keyClick(frame.button(100), Qt::Key_Left);
  EXPECT_EQ(frame.button(102), window->focusWidget());
  QTest::keyClick(frame.button(102), Qt::Key_Return);
  EXPECT_EQ(Codes{0x0103}, key_data(peer));
  // The Ctrl+Tab itself sent nothing to the host.
  expect_no_keys(peer);
}

TEST_F(FrameTest, StatusTextsShowInTheStatusBar) {
  HostPeer& peer = start_program();
  MainWindow* window = program(peer, {item(2, 0, "Ok", 2, "Accepts")});
  ASSERT_NE(nullptr, window);
  QStatusBar* status = window->frame()->status_bar();
  ASSERT_NE(nullptr, status);
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_STATUS, {'R', 'e', 'a', 'd', 'y', 0}), 0);
  ASSERT_TRUE(wait_until([&] { return status->currentMessage() == "Ready"; }));
}

TEST(MenuItemsTest, MnemonicsTakeTheFirstFreeLetter) {
  EXPECT_EQ((std::vector<int>{0, 1, 0, -1}),
            choose_mnemonics({u"Delete", u"Duplicate", u"x&y", u""}));
  // No letter free: the first free character from "!" up, never "&".
  EXPECT_EQ((std::vector<int>{0, 1}), choose_mnemonics({u"a1", u"A1"}));
}

// Labels in UTF-8 take their mnemonics by character, not by byte: "Ärger" and "Äpfel" get "Ä"
// and "p".
TEST(MenuItemsTest, MnemonicsOfUtf8Labels) {
  const MenuItem first = make_menu_item(item(2, 0, "\xC3\x84rger", 1), 100, true);
  const MenuItem second = make_menu_item(item(2, 0, "\xC3\x84pfel", 2), 101, true);
  EXPECT_EQ(u"\u00C4rger", first.label);
  EXPECT_EQ((std::vector<int>{0, 1}), choose_mnemonics({first.label, second.label}));
}

// A record whose texts and key list fill their fields without an end stops at the field: the
// label keeps 39 characters (the wide label holds no more), the help its 108 bytes, the key list
// its 28 entries.
TEST(MenuItemsTest, RecordFieldsWithoutTerminatorStayInTheirFields) {
  MenuItemRecord record = item(2, 0, "", -1);
  std::fill_n(record.begin(), 40, std::uint8_t{'L'});
  std::fill_n(record.begin() + 40, 108, std::uint8_t{'H'});
  for (std::size_t i = 0; i < 28; ++i) protocol::put_le16(record.data() + 174 + 2 * i, 'k');
  protocol::put_le16(record.data() + 230, 0x7F7F);  // the kind word right after the list
  const MenuItem entry = make_menu_item(record, 100, false);
  EXPECT_EQ(std::u16string(39, u'L'), entry.label);
  EXPECT_EQ(std::u16string(108, u'H'), entry.help);
  EXPECT_EQ(Codes(28, 'k'), entry.keys);
}

// KWK_GKTEXT texts longer than the item holds are cut: the wide label to 39 characters and the
// help to 117, the record's copies to 39 and 107 bytes and never inside a UTF-8 character.
TEST(MenuItemsTest, ItemTextsAreCutToTheirFields) {
  MenuItems items = build_menu_items(std::vector<MenuItemRecord>{item(2, 0, "Old", 1)}, true);
  std::string label;
  for (int i = 0; i < 30; ++i) label += "\xC3\xA4";  // 30 two-byte characters
  const std::string help(500, 'h');
  const MenuItem* changed = set_item_text(items, 100, label, help, true);
  ASSERT_NE(nullptr, changed);
  EXPECT_EQ(std::u16string(30, u'\u00E4'), changed->label);
  EXPECT_EQ(117u, changed->help.size());
  // 39 bytes would split the 20th character: the copy ends after 19 characters.
  const std::string copy(reinterpret_cast<const char*>(changed->record.data()));
  EXPECT_EQ(38u, copy.size());
  EXPECT_EQ(0, changed->record[39]);
  EXPECT_EQ(std::string(107, 'h'),
            std::string(reinterpret_cast<const char*>(changed->record.data() + 40)));
  EXPECT_EQ(0, changed->record[147]);
  // A label of 50 plain characters keeps 39.
  EXPECT_EQ(39u, set_item_text(items, 100, std::string(50, 'x'), "", false)->label.size());
  // Id 500 addresses screen item 400, which is not there; it never reaches a context entry.
  create_context_menu(items, std::vector<MenuItemRecord>{item(5, 0, "A", 3), item(5, 0, "B", 4)},
                      false);
  EXPECT_EQ(nullptr, set_item_text(items, 500, "x", "y", false));
  EXPECT_EQ(nullptr, set_item_state(items, 500, 1, kStateSet));
  const MenuItem* second = set_item_state(items, 501, 1, kStateSet);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(u"B", second->label);
  EXPECT_TRUE(second->disabled());
}

TEST_F(FrameTest, HostItemNumbersChangeStateAndTexts) {
  HostPeer& peer = start_program();
  MainWindow* window = program(peer, {item(2, 0, "Save", 2, "Saves"), item(2, 0, "Send", 3)});
  ASSERT_NE(nullptr, window);
  QPushButton* save = window->frame()->button(100);
  QPushButton* send = window->frame()->button(101);
  ASSERT_TRUE(save && send);
  // Host item 1 is the first item (id 100); 401 (id 500) names no item and changes nothing.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GREFR, protocol::build_grefr({401, 1}).payload), 0);
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GREFR, protocol::build_grefr({1, 1}).payload), 0);
  ASSERT_TRUE(wait_until([&] { return !save->isEnabled(); }));
  EXPECT_TRUE(send->isEnabled());
  // New texts: the second button keeps a mnemonic apart from the first one's "S".
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GKTEXT,
                      protocol::build_gktext({2, "Senden & drucken", "Sends and prints"}).payload),
            0);
  ASSERT_TRUE(wait_until([&] { return send->toolTip() == "Sends and prints"; }));
  EXPECT_EQ("Senden & drucken", plain(send->text()));
  EXPECT_EQ("S&enden && drucken", send->text());
  // Choosing it still sends its key.
  QTest::mouseClick(send, Qt::LeftButton);
  EXPECT_EQ(Codes{0x0103}, key_data(peer));
}

TEST_F(FrameTest, ItemsWithIconsMakeTheToolbarAboveTheContent) {
  HostPeer& peer = start_program();
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(red.save(&buffer, "PNG"));
  const protocol::HostIcon open{"open", {png.begin(), png.end()}};
  auto with_icon = [](MenuItemRecord record, const std::string& name) {
    std::memcpy(record.data() + 148, name.data(), name.size());
    return record;
  };
  MainWindow* window = program(
      peer,
      {item(6, 0x20, "File", 0), with_icon(item(6, 0x21, "Open", 5, "Opens a file"), "open"),
       item(6, 0x22, "", 0), with_icon(item(6, 0x21, "Save", 6), "save"),
       with_icon(item(7, 0, "Print", 9), "print"), item(2, 0, "End", 1)},
      protocol::default_screen_options(), {open});
  ASSERT_NE(nullptr, window);
  QToolBar* toolbar = window->frame()->toolbar();
  ASSERT_NE(nullptr, toolbar);
  const auto actions = toolbar->actions();
  // The menu's title puts no gap at the start; its separator puts one between the groups.
  ASSERT_EQ(4, actions.size());
  EXPECT_EQ("Open", actions[0]->text());
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ("Save", actions[2]->text());
  EXPECT_EQ("Print", actions[3]->text());
  EXPECT_EQ("Opens a file", actions[0]->toolTip());
  EXPECT_EQ(QColor(Qt::red), actions[0]->icon().pixmap(16, 16).toImage().pixelColor(8, 8));
  EXPECT_FALSE(actions[2]->icon().isNull());  // an icon the host did not send: a stock one
  EXPECT_LT(toolbar->mapTo(window, QPoint()).y(), window->content()->geometry().top());
  actions[0]->trigger();
  EXPECT_EQ(Codes{0x0105}, key_data(peer));
}

// The own frame: the menu bar's popups are drop-down buttons of the title bar whose entries
// send their keys like the menu bar's and follow the host's state changes; the close button
// shows the host's "wincls" icon; the border is painted in the caption colour.
TEST_F(FrameTest, TheOwnFramesTitleBarHoldsTheMenusAndTheHostsWindowIcons) {
  namespace opt = protocol::screen_option;
  protocol::ScreenOptions options = protocol::default_screen_options();
  options[opt::kModelSwitch] = 1;
  options[opt::kFrameType] = opt::kOwnFrame;
  options[opt::kBorderWidth] = 5;
  protocol::set_option_colour(options, opt::kCaption, {0, 90, 40});
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(red.save(&buffer, "PNG"));
  HostPeer& peer = start_program();
  MainWindow* window =
      program(peer,
              {item(4, 0x20, "File", 0), item(0, 0x21, "Open", 5), item(0, 0x22, "", 0),
               item(0, 0x21, "Quit", 1), item(4, 0x20, "Edit", 0), item(0, 0x21, "Copy", 7),
               item(2, 0, "F3 End", 1)},
              options, {protocol::HostIcon{"wincls", {png.begin(), png.end()}}});
  ASSERT_NE(nullptr, window);
  FrameWidgets& frame = *window->frame();
  OwnTitleBar* title = frame.title_bar();
  ASSERT_NE(nullptr, title);
  EXPECT_EQ(nullptr, frame.menu_bar());  // no second row
  const auto& drops = title->drop_downs();
  ASSERT_EQ(2u, drops.size());
  EXPECT_EQ("File", drops[0]->text());
  EXPECT_EQ("Edit", drops[1]->text());
  // After the program icon, before the caption.
  EXPECT_LT(title->menu_button()->x(), drops[0]->x());
  EXPECT_LT(drops[0]->x(), drops[1]->x());
  EXPECT_LT(drops[1]->x(), title->caption()->x());
  QMenu* file = drops[0]->menu();
  ASSERT_NE(nullptr, file);
  const auto entries = file->actions();
  ASSERT_EQ(3, entries.size());
  EXPECT_TRUE(entries[1]->isSeparator());
  entries[2]->trigger();
  EXPECT_EQ(Codes{0x0101}, key_data(peer));

  // Host item 2 is "Open": disabled, it sends nothing; host item 5 is the "Edit" popup.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GREFR, protocol::build_grefr({2, 1}).payload), 0);
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GREFR, protocol::build_grefr({5, 1}).payload), 0);
  ASSERT_TRUE(wait_until([&] { return !drops[1]->isEnabled(); }));
  EXPECT_FALSE(entries[0]->isEnabled());
  EXPECT_TRUE(drops[0]->isEnabled());
  entries[0]->trigger();
  expect_no_keys(peer);

  // KWK_WTOOL: the tool caption beside the caption.
  EXPECT_FALSE(title->tool_caption()->isVisibleTo(title));
  const std::string tool = "Werkzeug";
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WTOOL,
                      std::vector<std::uint8_t>(tool.c_str(), tool.c_str() + tool.size() + 1)),
            0);
  ASSERT_TRUE(wait_until([&] { return title->tool_caption()->text() == "Werkzeug"; }));
  EXPECT_TRUE(title->tool_caption()->isVisibleTo(title));
  EXPECT_GT(title->tool_caption()->x(), title->caption()->x());

  // The host's close icon; minimise and maximise keep the style's (or their texts).
  ASSERT_NE(nullptr, title->close_button());
  EXPECT_EQ(QColor(Qt::red),
            title->close_button()->icon().pixmap(16, 16).toImage().pixelColor(8, 8));
  EXPECT_EQ(QSize(20, 20), title->close_button()->size());  // 16-pixel icons on 20-pixel buttons
  // The border around the content in the caption colour.
  const QImage shown = window->grab().toImage();
  EXPECT_EQ(QColor(0, 90, 40), shown.pixelColor(2, shown.height() / 2));
  EXPECT_EQ(QColor(0, 90, 40), shown.pixelColor(shown.width() / 2, shown.height() - 3));
}

}  // namespace
}  // namespace kovw::session::test
