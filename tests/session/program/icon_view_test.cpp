// Icon views end to end: a mode-4 screen from the host, its tree and list, the user's clicks,
// drops and key bar buttons in the widgets, and the answers on the link.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTreeView>
#include <cstring>

#include "dialogs/view/icon_view_widget.h"
#include "dialogs/view/list_dialog_window.h"
#include "protocol/little_endian.h"
#include "protocol/program/list_view_messages.h"
#include "protocol/program/start_messages.h"
#include "session/program/icon_view.h"
#include "session/session_fixture.h"
#include "session/view/frame_widgets.h"

namespace kovw::session::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

protocol::MenuItemRecord key_bar_button(const char* label, std::int16_t key) {
  protocol::MenuItemRecord record{};
  std::memcpy(record.data(), label, std::strlen(label));
  record[protocol::kMenuBarOffset] = 0;  // top key bar
  protocol::put_le16(record.data() + protocol::kMenuFunctionKeyOffset,
                     static_cast<std::uint16_t>(key));
  return record;
}

Bytes tree_bytes() {
  const std::vector<std::pair<std::int32_t, std::uint8_t>> folders = {
      {10, 0x40}, {11, 1}, {12, 1 | 0x20}, {13, 2 | 0x80}, {20, 0}};
  Bytes bytes(64 + folders.size() * 136, 0);
  protocol::put_le32(bytes.data(), static_cast<std::uint32_t>(folders.size()));
  for (std::size_t i = 0; i < folders.size(); ++i) {
    std::uint8_t* at = bytes.data() + 64 + i * 136;
    protocol::put_le32(at, static_cast<std::uint32_t>(folders[i].first));
    at[4] = folders[i].second;
    at[7] = static_cast<std::uint8_t>('A' + i);
  }
  return bytes;
}

Bytes list_bytes(int count, std::int32_t list_number = 77) {
  Bytes bytes(720 + static_cast<std::size_t>(count) * 516, 0);
  protocol::put_le32(bytes.data(), static_cast<std::uint32_t>(count));
  protocol::put_le32(bytes.data() + 4, static_cast<std::uint32_t>(list_number));
  bytes[703] = 2;
  bytes[704] = 1;
  bytes[705] = 1;
  for (int i = 0; i < count; ++i) {
    std::uint8_t* at = bytes.data() + 720 + static_cast<std::size_t>(i) * 516;
    protocol::put_le32(at, static_cast<std::uint32_t>(500 + i));
    const std::string texts = "entry" + std::to_string(i) + std::string(1, '\0') + "x";
    std::memcpy(at + 5, texts.data(), texts.size());
    protocol::put_le32(at + 512, static_cast<std::uint32_t>(9000 + i));
  }
  return bytes;
}

protocol::MenuItemRecord toolbar_control(bool combo) {
  protocol::MenuItemRecord control{};
  std::memcpy(control.data(), "Search", 6);
  control[169] = 10;
  control[protocol::kMenuBarOffset] = 7;
  protocol::put_le16(control.data() + protocol::kMenuFunctionKeyOffset, 3);
  protocol::put_le16(control.data() + protocol::kMenuKindOffset, combo ? 0xA3 : 0x23);
  return control;
}

class IconViewTest : public SessionTest {
 protected:
  dialogs::IconViewWidget* program(HostPeer& peer,
                                   const std::vector<protocol::MenuItemRecord>& more = {}) {
    const auto ids = init_program(peer, 4711, "icons");
    protocol::ScreenDefinition screen;
    screen.mode_and_style = 4;
    screen.title = "Icons";
    screen.width = 700;
    screen.height = 400;
    screen.screen_options = protocol::default_screen_options();
    screen.menu_items = {key_bar_button("Details", 1005), key_bar_button("Move", 40),
                         key_bar_button("Open all", 1000)};
    screen.menu_items.insert(screen.menu_items.end(), more.begin(), more.end());
    const auto out =
        protocol::build_screen_definition(screen, 0x070305, net::KWD_LIST, net::KWK_LINIT);
    EXPECT_GT(peer.send(out.service, out.type, out.payload), 0);
    EXPECT_TRUE(wait_until([&] {
      main_ = registered_window(ids[1]);
      return main_ != nullptr && main_->isVisible() &&
             main_->findChild<dialogs::IconViewWidget*>() != nullptr;
    }));
    auto* view = main_ ? main_->findChild<dialogs::IconViewWidget*>() : nullptr;
    if (view == nullptr) {
      ADD_FAILURE() << "no icon view" << (main_ ? " in a window" : "");
      return nullptr;
    }
    send_definition(peer, net::KWK_LTREE, tree_bytes());
    send_definition(peer, net::KWK_LLIST, list_bytes(3));
    QPointer<dialogs::IconViewWidget> guard(view);
    EXPECT_TRUE(wait_until([&] {
      return !guard || (view->list_model().rowCount() == 3 && view->tree_model().rowCount() == 2);
    }));
    if (!guard) ADD_FAILURE() << "the icon view went";
    return guard.data();
  }
  static void send_definition(HostPeer& peer, int type, const Bytes& definition) {
    const auto out = protocol::build_view_definition(type, definition);
    ASSERT_GT(peer.send(out.service, out.type, out.payload), 0);
  }
  static protocol::ListAnswer answer(HostPeer& peer) {
    const auto [message, payload] = answer_pumping(peer);
    EXPECT_EQ(message.service, net::KWD_LIST);
    EXPECT_EQ(message.type, net::KWK_LANTW);
    auto parsed = protocol::parse_lantw(payload);
    EXPECT_TRUE(parsed);
    return parsed ? *parsed : protocol::ListAnswer{};
  }
  static bool nothing_more(HostPeer& peer) {
    return !wait_until(
        [&peer] {
          pollfd readable{peer.socket, POLLIN, 0};
          return ::poll(&readable, 1, 0) > 0;
        },
        300);
  }
  QAbstractButton* button(const QString& label) {
    for (auto* button : main_->findChildren<QAbstractButton*>())
      if (button->text().remove('&') == label) return button;
    return nullptr;
  }
  static QPoint entry_point(dialogs::IconViewWidget* view, int row) {
    return view->list_view()->visualRect(view->sorted().index(row, 0)).center();
  }
  QWidget* main_ = nullptr;
};

TEST_F(IconViewTest, ClicksFoldersDropsAndKeyBarButtonsAnswer) {
  HostPeer& peer = start_program();
  dialogs::IconViewWidget* view = program(peer);
  ASSERT_NE(view, nullptr);
  QListView* list = view->list_view();

  // "Double Click" is off: the first click of a double click opens, once.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry_point(view, 1));
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, entry_point(view, 1));
  protocol::ListAnswer open = answer(peer);
  EXPECT_EQ(open.event, kEventOpen);
  EXPECT_EQ(open.text, "entry1");
  EXPECT_EQ(open.values[0], 9001);
  EXPECT_EQ(open.values[1], 0);
  EXPECT_EQ(open.values[2], dialogs::kNoFolderSelected);
  EXPECT_EQ(open.values[3], 501);
  EXPECT_GT(open.values[6], 0);  // the window's width
  EXPECT_GE(open.values[8], 0);
  EXPECT_EQ(open.values[9] | open.values[10] | open.values[11], 0);
  EXPECT_TRUE(nothing_more(peer));

  // A folder that reports its selection.
  view->tree()->setCurrentIndex(view->tree_model().item_of(3)->index());
  protocol::ListAnswer folder = answer(peer);
  EXPECT_EQ(folder.event, kEventFolder);
  EXPECT_EQ(folder.text, "13");
  EXPECT_EQ(folder.values[1], 13);
  EXPECT_EQ(folder.values[2], 13);
  EXPECT_EQ(folder.values[3], -1);
  EXPECT_EQ(folder.values[0], 77);  // no entry: the list number

  // Drops: on a folder that takes them, then on another entry.
  view->drop(0, 2, -1);
  protocol::ListAnswer on_folder = answer(peer);
  EXPECT_EQ(on_folder.event, kEventDropOnFolder);
  EXPECT_EQ(on_folder.values[0], 9000);
  EXPECT_EQ(on_folder.values[1], 12);
  view->drop(0, -1, 2);
  protocol::ListAnswer on_entry = answer(peer);
  EXPECT_EQ(on_entry.event, kEventDropOnEntry);
  EXPECT_EQ(on_entry.text, "2");
  EXPECT_EQ(on_entry.values[3], 500);

  // Key bar buttons: 1005 shows details, 40 names the folder chosen last.
  ASSERT_NE(button("Details"), nullptr);
  QTest::mouseClick(button("Details"), Qt::LeftButton);
  EXPECT_EQ(answer(peer).event, 1005);
  EXPECT_TRUE(wait_until([&] { return view->mode() == dialogs::kModeDetails; }));
  // The button of the mode in force shows pressed.
  EXPECT_TRUE(wait_until([&] { return button("Details")->isChecked(); }));
  QTest::mouseClick(button("Move"), Qt::LeftButton);
  protocol::ListAnswer move = answer(peer);
  EXPECT_EQ(move.event, 40);
  EXPECT_EQ(move.values[1], 12);
  // 1000 expands every folder but those that report their selection; so does request 64.
  QTest::mouseClick(button("Open all"), Qt::LeftButton);
  EXPECT_EQ(answer(peer).event, 1000);
  const QModelIndex second_child = view->tree_model().item_of(2)->index();
  EXPECT_TRUE(wait_until([&] { return view->tree()->isExpanded(second_child); }));
  ASSERT_GT(peer.send(net::KWD_LIST, kRequestCollapseAll), 0);
  EXPECT_TRUE(wait_until([&] { return !view->tree()->isExpanded(second_child); }));
  EXPECT_TRUE(nothing_more(peer));
}

TEST_F(IconViewTest, ListDialogAnswersWithItsDataBlock) {
  HostPeer& peer = start_program();
  ASSERT_NE(program(peer), nullptr);
  protocol::ListDialog dialog;
  dialog.header.assign(144, 0);
  std::memcpy(dialog.header.data() + 16, "Edit", 4);
  Bytes field(136, 0);
  std::memcpy(field.data(), "Name", 4);
  protocol::put_le16(field.data() + 128, 5);
  protocol::put_le16(field.data() + 130, 2);
  dialog.fields.push_back(field);
  Bytes ok(130, 0);
  std::memcpy(ok.data(), "OK", 2);
  protocol::put_le16(ok.data() + 128, 7);
  dialog.buttons.push_back(ok);
  const std::string block = "##Meier##";
  dialog.data.assign(block.begin(), block.end());
  const auto out = protocol::build_ldialog(dialog);
  ASSERT_GT(peer.send(out.service, out.type, out.payload), 0);
  dialogs::ListDialogWindow* window = nullptr;
  ASSERT_TRUE(wait_until([&] {
    window = main_->findChild<dialogs::ListDialogWindow*>();
    return window != nullptr && window->isVisible();
  }));
  EXPECT_EQ(window->field(0)->text(), "Meier");
  window->field(0)->setText("Ott");
  window->press(0);
  const auto [message, payload] = answer_pumping(peer);
  EXPECT_EQ(message.service, net::KWD_LIST);
  EXPECT_EQ(message.type, net::KWK_LANTWDIA);
  const std::string expected = "##Ott  ##";
  EXPECT_EQ(payload,
            protocol::build_lantwdia({7, Bytes(expected.begin(), expected.end())}).payload);

  // A dialog whose field leaves the data block is refused: nothing is shown or sent.
  protocol::put_le16(dialog.fields[0].data() + 130, 6);
  const auto bad = protocol::build_ldialog(dialog);
  ASSERT_GT(peer.send(bad.service, bad.type, bad.payload), 0);
  EXPECT_TRUE(nothing_more(peer));
  for (const auto* shown : main_->findChildren<dialogs::ListDialogWindow*>())
    EXPECT_FALSE(shown->isVisible());
}

TEST_F(IconViewTest, ANewScreenReleasesTheViews) {
  HostPeer& peer = start_program();
  ASSERT_NE(program(peer), nullptr);
  EXPECT_GT(define_screen(peer, "Text", 1, 60, 25, 10, 10), 0);
  EXPECT_TRUE(wait_until([&] { return main_->findChild<dialogs::IconViewWidget*>() == nullptr; }));
  // Definitions for a screen without views are checked and dropped.
  send_definition(peer, net::KWK_LLIST, list_bytes(2));
  EXPECT_TRUE(nothing_more(peer));
  EXPECT_EQ(nullptr, main_->findChild<dialogs::IconViewWidget*>());
}

TEST_F(IconViewTest, TheToolbarsEditFieldOpensWithItsTextAndGoesIntoAnswers) {
  HostPeer& peer = start_program();
  // A toolbar control (kind 0x23) of 10 characters: an edit field.
  protocol::MenuItemRecord control{};
  std::memcpy(control.data(), "Search", 6);
  control[169] = 10;
  control[protocol::kMenuBarOffset] = 7;
  protocol::put_le16(control.data() + protocol::kMenuFunctionKeyOffset, 3);
  protocol::put_le16(control.data() + protocol::kMenuKindOffset, 0x23);
  dialogs::IconViewWidget* view = program(peer, {control});
  ASSERT_NE(view, nullptr);
  FrameWidgets& frame = *static_cast<MainWindow*>(main_)->frame();
  auto* edit = qobject_cast<QLineEdit*>(frame.control(103));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(70, edit->width());  // 10 characters at 7 pixels
  // Enter in it opens with its text.
  QTest::keyClicks(edit, "report 2026");
  QTest::keyClick(edit, Qt::Key_Return);
  protocol::ListAnswer opened = answer(peer);
  EXPECT_EQ(opened.event, kEventOpen);
  EXPECT_EQ(opened.text, "report 2026");
  EXPECT_TRUE(nothing_more(peer));  // Enter is not also a key of the window
  // Tab goes to the list.
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(view->list_view()->hasFocus() || QApplication::focusWidget() == view->list_view());
  // Other answers carry its text, at most 19 characters of it.
  edit->setText("a search text longer than the answer takes");
  QTest::mouseClick(button("Open all"), Qt::LeftButton);
  protocol::ListAnswer expanded = answer(peer);
  EXPECT_EQ(expanded.event, 1000);
  EXPECT_EQ(expanded.text, "a search text longe");
  // Selecting an entry puts its text into the field.
  QTest::mouseClick(view->list_view()->viewport(), Qt::LeftButton, {}, entry_point(view, 1));
  EXPECT_EQ(answer(peer).text, "entry1");
  EXPECT_EQ("entry1", edit->text());
  // While the field is disabled, key 40 does nothing at all.
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KBUTTON_NR, protocol::build_kbutton({3, 0}).payload),
            0);
  ASSERT_TRUE(wait_until([&] { return !edit->isEnabled(); }));
  QTest::mouseClick(button("Move"), Qt::LeftButton);
  EXPECT_TRUE(nothing_more(peer));
}

// An item naming a key by its number (F7 is 40 in layout 0) is chosen by that key; Ctrl+P takes
// the focus into the toolbar's control and from there back to the list.
TEST_F(IconViewTest, ItemKeysChooseItemsAndCtrlPReachesTheControl) {
  HostPeer& peer = start_program();
  protocol::MenuItemRecord keyed = key_bar_button("Large", 1003);
  keyed[169] = 40;
  dialogs::IconViewWidget* view = program(peer, {keyed, toolbar_control(false)});
  ASSERT_NE(view, nullptr);
  QTest::keyClick(view->list_view(), Qt::Key_F7);
  EXPECT_EQ(answer(peer).event, 1003);
  EXPECT_TRUE(wait_until([&] { return view->mode() == dialogs::kModeLargeIcons; }));
  FrameWidgets& frame = *static_cast<MainWindow*>(main_)->frame();
  auto* edit = qobject_cast<QLineEdit*>(frame.control(104));  // the fifth item
  ASSERT_NE(edit, nullptr);
  view->list_view()->setFocus();
  QTest::keyClick(view->list_view(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(wait_until([&] { return QApplication::focusWidget() == edit; }));
  QTest::keyClick(edit, Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(wait_until([&] { return QApplication::focusWidget() == view->list_view(); }));
  EXPECT_TRUE(nothing_more(peer));
}

TEST_F(IconViewTest, TheComboBoxRemembersTheTextsThatOpened) {
  HostPeer& peer = start_program();
  dialogs::IconViewWidget* view = program(peer, {toolbar_control(true)});
  ASSERT_NE(view, nullptr);
  FrameWidgets& frame = *static_cast<MainWindow*>(main_)->frame();
  auto* combo = qobject_cast<QComboBox*>(frame.control(103));
  ASSERT_NE(combo, nullptr);
  const auto items = [&] {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
  };
  // Enter opens with the text, which then stands at the top of the list.
  const auto enter = [&](const QString& text) {
    combo->setEditText(text);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(answer(peer).text, text.left(19).toStdString());
    EXPECT_TRUE(wait_until([&] { return items().value(0) == text; }));
  };
  enter("alpha");
  enter("beta");
  enter("alpha");  // an equal text moves to the top, it is not there twice
  EXPECT_EQ(items(), (QStringList{"alpha", "beta"}));
  EXPECT_EQ("alpha", combo->currentText());
  // A long text is kept whole in the list; the answer carries its first 19 characters.
  enter("a search text longer than the answer takes");
  EXPECT_EQ(3, combo->count());
  EXPECT_EQ("a search text longer than the answer takes", combo->itemText(0));
  // When the list is full, the oldest texts go.
  for (int i = 0; i < FrameWidgets::kRememberedTexts + 2; ++i) enter(QString("text %1").arg(i));
  EXPECT_EQ(FrameWidgets::kRememberedTexts, combo->count());
  EXPECT_EQ("text 2", combo->itemText(combo->count() - 1));
}

// A list numbered 100 or more takes the second context menu; a screen with only one shows that
// one without its entries 6 to 10.
TEST_F(IconViewTest, ListsFrom100WithOneContextMenuLoseEntries6To10) {
  HostPeer& peer = start_program();
  std::vector<protocol::MenuItemRecord> context;
  for (int i = 1; i <= 11; ++i) {
    protocol::MenuItemRecord item{};
    const std::string label = "Entry " + std::to_string(i);
    std::memcpy(item.data(), label.data(), label.size());
    item[protocol::kMenuBarOffset] = 5;
    protocol::put_le16(item.data() + protocol::kMenuFunctionKeyOffset,
                       static_cast<std::uint16_t>(200 + i));
    context.push_back(item);
  }
  dialogs::IconViewWidget* view = program(peer, context);
  ASSERT_NE(view, nullptr);
  FrameWidgets& frame = *static_cast<MainWindow*>(main_)->frame();
  const auto enabled_entries = [&] {
    std::vector<bool> enabled;
    if (QMenu* menu = frame.context_menu())
      for (QAction* action : menu->actions())
        if (!action->isSeparator()) enabled.push_back(action->isEnabled());
    return enabled;
  };
  // List 77: all entries.
  emit view->list_view()->customContextMenuRequested({5, 5});
  ASSERT_TRUE(wait_until([&] { return enabled_entries().size() == 11; }));
  EXPECT_EQ(enabled_entries(), std::vector<bool>(11, true));
  const auto close_menu = [&] {
    if (QMenu* menu = frame.context_menu()) {
      menu->clear();
      menu->hide();
    }
  };
  close_menu();
  // List 120: entries 6 to 10 are disabled.
  send_definition(peer, net::KWK_LLIST, list_bytes(3, 120));
  ASSERT_TRUE(wait_until([&] { return view->list_model().rowCount() == 3; }));
  QTest::qWait(50);
  emit view->list_view()->customContextMenuRequested({5, 5});
  ASSERT_TRUE(wait_until([&] { return enabled_entries().size() == 11; }));
  std::vector<bool> expected(11, true);
  for (int i = 5; i < 10; ++i) expected[static_cast<std::size_t>(i)] = false;
  EXPECT_EQ(enabled_entries(), expected);
  close_menu();
}

}  // namespace
}  // namespace kovw::session::test

namespace kovw::session {
namespace {

IconViewState state_with(std::vector<std::uint8_t> folder_flags) {
  IconViewState state;
  state.active = true;
  auto tree = std::make_shared<dialogs::TreeDefinition>();
  for (std::size_t i = 0; i < folder_flags.size(); ++i) {
    dialogs::TreeFolder folder;
    folder.value = 10 + static_cast<int>(i);
    folder.flags = folder_flags[i];
    tree->folders.push_back(folder);
  }
  state.tree = tree;
  auto list = std::make_shared<dialogs::ListDefinition>();
  dialogs::ListEntry entry;
  entry.number = 5;
  entry.value = 55;
  entry.texts = {u"first", u"\u00e4second"};
  list->entries.push_back(entry);
  list->list_number = 120;
  state.list = list;
  state.tree_width = 230;
  return state;
}

TEST(IconViewAnswers, BarButtonsShowFullAndTheFolderOfKey40) {
  IconViewState state = state_with({0, 0x20, 0x20});
  const WindowFacts window{-8, 20, 80, 1000};
  const protocol::ListAnswer bar = compose_bar_answer(state, 0, window);
  EXPECT_EQ(bar.event, kEventOpen);
  EXPECT_EQ(bar.text, "\xe4second");
  EXPECT_EQ((std::vector<std::int32_t>(bar.values.begin(), bar.values.end())),
            (std::vector<std::int32_t>{55, 0, -9999, 5, 0, 20, 80, 1000, 230, 0, 0, 0}));
  const protocol::ListAnswer full = compose_show_full_answer(state, window);
  EXPECT_EQ(full.event, kEventShowFull);
  EXPECT_TRUE(full.text.empty());
  EXPECT_EQ(full.values[0] | full.values[1] | full.values[2] | full.values[3], 0);
  // Key 40: the folder chosen last, else the first that takes drops, else none.
  EXPECT_EQ(key_40_folder(state), 1);
  state.chosen_folder = 2;
  EXPECT_EQ(key_40_folder(state), 2);
  EXPECT_EQ(key_40_folder(state_with({0, 0})), -1);
  // Without an entry the answer carries the list number and the text of the entry selected last.
  state.selected_entry = 0;
  const protocol::ListAnswer key = compose_list_answer(state, 1003, {}, -1, -1, window);
  EXPECT_EQ(key.text, "first");
  EXPECT_EQ(key.values[0], 120);
  EXPECT_EQ(key.values[3], -1);
}

}  // namespace
}  // namespace kovw::session

namespace kovw::session {
namespace {

// An action on a list the host has replaced since is dropped: its entry numbers name other
// entries now. One on the list in force counts.
TEST(IconViewAnswers, ActionsOnAReplacedListAreDropped) {
  ProgramSession session;
  session.icon_view = std::make_shared<IconViewState>(state_with({0}));
  const auto shown_before =
      std::make_shared<const dialogs::ListDefinition>(*session.icon_view->list);
  to_program::IconViewAction action;
  action.kind = dialogs::IconViewEvent::Kind::EntrySelected;
  action.entry = 0;
  action.list = shown_before;
  icon_view_action(session, action);
  EXPECT_EQ(-1, session.icon_view->selected_entry);
  action.list = session.icon_view->list;
  icon_view_action(session, action);
  EXPECT_EQ(0, session.icon_view->selected_entry);
}

}  // namespace
}  // namespace kovw::session
